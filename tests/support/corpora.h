#pragma once
// The public GDTF descriptions the importers are tried on: an archive of 5,733
// description.xml files kept beside the source tree, in ../shared/corpora.

#include <filesystem>
#include <optional>

namespace brannoc::test {

// $BRANNOC_GDTF_CORPUS when set, else gdtf-descriptions.tar.xz in the corpora
// folder beside `sourceDir` (the main checkout sits beside shared/, a worktree
// one level further down); nothing when there is none.
std::optional<std::filesystem::path> GdtfCorpusArchive(const std::filesystem::path& sourceDir);

}  // namespace brannoc::test
