// Build step: puts a "ChNameSet.fix" holding the built-in names beside the
// program when there is none, so a first start offers the vocabulary.

#include <cstdio>
#include <filesystem>

#include "data/names/name_set.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: seed_names FOLDER\n");
    return 2;
  }
  const auto path = brannoc::ChannelNameSetPath(argv[1]);
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) return 0;
  brannoc::ChannelNameSet set;
  brannoc::RestoreDefaultNames(set);
  if (const auto error = brannoc::SaveChannelNameSet(set, path)) {
    std::fprintf(stderr, "%s\n", error->message.c_str());
    return 1;
  }
  return 0;
}
