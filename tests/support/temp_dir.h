#pragma once
// Each test works in a folder of its own, removed when the test ends.

#include <filesystem>
#include <string>

#include "data/core/file_io.h"

namespace brannoc::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

Bytes ReadAll(const std::filesystem::path& path);
void WriteAll(const std::filesystem::path& path, const Bytes& bytes);

// The files in a folder, by name (to see that no temporary file was left).
std::vector<std::string> FileNames(const std::filesystem::path& folder);

}  // namespace brannoc::test
