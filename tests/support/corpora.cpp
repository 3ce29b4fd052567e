#include "support/corpora.h"

#include <cstdlib>

namespace brannoc::test {

std::optional<std::filesystem::path> GdtfCorpusArchive(const std::filesystem::path& sourceDir) {
  if (const char* named = std::getenv("BRANNOC_GDTF_CORPUS")) return std::filesystem::path(named);
  for (const char* up : {"../shared", "../../shared"}) {
    const std::filesystem::path archive = sourceDir / up / "corpora/gdtf-descriptions.tar.xz";
    std::error_code ec;
    if (std::filesystem::is_regular_file(archive, ec)) return archive;
  }
  return std::nullopt;
}

}  // namespace brannoc::test
