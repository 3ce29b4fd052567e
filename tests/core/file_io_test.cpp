#include "core/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/permissions.h"
#include "support/temp_dir.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;
using test::ReadAll;
using test::TempDir;
using test::WriteAll;

TEST(ReplaceFile, WritesANewFileAndReplacesAnOldOne) {
  TempDir dir;
  const Bytes first{1, 2, 3};
  ASSERT_FALSE(ReplaceFile(dir / "a.bin", first));
  EXPECT_EQ(ReadAll(dir / "a.bin"), first);
  const Bytes second{9};
  ASSERT_FALSE(ReplaceFile(dir / "a.bin", second));
  EXPECT_EQ(ReadAll(dir / "a.bin"), second);
  EXPECT_EQ(test::FileNames(dir.path()), std::vector<std::string>{"a.bin"});
}

TEST(ReplaceFile, KeepsTheOldFilesTailWhenAsked) {
  TempDir dir;
  WriteAll(dir / "n.fix", Bytes{1, 2, 3, 4, 5});
  ASSERT_FALSE(ReplaceFile(dir / "n.fix", Bytes{7, 8}, /*keepTail=*/true));
  EXPECT_EQ(ReadAll(dir / "n.fix"), (Bytes{7, 8, 3, 4, 5}));
}

TEST(ReplaceFile, KeepsTheOldFilesPermissions) {
  TempDir dir;
  WriteAll(dir / "p.bin", Bytes{1});
  ::chmod((dir / "p.bin").c_str(), 0640);
  ASSERT_FALSE(ReplaceFile(dir / "p.bin", Bytes{2}));
  struct stat st {};
  ::stat((dir / "p.bin").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(ReplaceFile, AFailurePartWayLeavesTheOldFileAndNoTemporaryFile) {
  TempDir dir;
  const Bytes old{5, 5, 5};
  WriteAll(dir / "f.tff", old);
  {
    ScopedWriteFailure failAfter(2);
    const auto error = ReplaceFile(dir / "f.tff", Bytes(100, 1));
    ASSERT_TRUE(error);
    EXPECT_NE(error->message.find("f.tff"), std::string::npos);
  }
  EXPECT_EQ(ReadAll(dir / "f.tff"), old);
  EXPECT_EQ(test::FileNames(dir.path()), std::vector<std::string>{"f.tff"});
}

TEST(ReplaceFile, RefusesAFolderAndAReadOnlyFolder) {
  TempDir dir;
  fs::create_directory(dir / "folder.tff");
  EXPECT_TRUE(ReplaceFile(dir / "folder.tff", Bytes{1}));
  EXPECT_TRUE(fs::is_directory(dir / "folder.tff"));

  fs::create_directory(dir / "ro");
  WriteAll(dir / "ro" / "x.tff", Bytes{4});
  fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
  {
    test::ScopedObeyPermissions obey;
    EXPECT_TRUE(ReplaceFile(dir / "ro" / "x.tff", Bytes{1, 2}));
  }
  fs::permissions(dir / "ro", fs::perms::owner_all);
  EXPECT_EQ(ReadAll(dir / "ro" / "x.tff"), Bytes{4});
  EXPECT_EQ(test::FileNames(dir / "ro"), std::vector<std::string>{"x.tff"});
}

TEST(WriteAt, ExtendsAShortFileWithZeros) {
  TempDir dir;
  ASSERT_FALSE(WriteAt(dir / "n.fix", 4, Bytes{7, 8}));
  EXPECT_EQ(ReadAll(dir / "n.fix"), (Bytes{0, 0, 0, 0, 7, 8}));
  ASSERT_FALSE(WriteAt(dir / "n.fix", 1, Bytes{9}));
  EXPECT_EQ(ReadAll(dir / "n.fix"), (Bytes{0, 9, 0, 0, 7, 8}));
}

TEST(ReadFilePrefix, ReadsNoMoreThanAskedAndReportsTheSize) {
  TempDir dir;
  WriteAll(dir / "big", Bytes(10000, 3));
  const auto r = ReadFilePrefix(dir / "big", 16);
  ASSERT_FALSE(r.error);
  EXPECT_EQ(r.bytes.size(), 16u);
  EXPECT_EQ(r.fileSize, 10000u);
  EXPECT_TRUE(ReadFilePrefix(dir / "missing", 16).error);
  EXPECT_TRUE(ReadFilePrefix(dir.path(), 16).error);
}

TEST(CreateIfMissing, LeavesAnExistingFileAlone) {
  TempDir dir;
  WriteAll(dir / "n.fix", Bytes{1, 2});
  ASSERT_FALSE(CreateIfMissing(dir / "n.fix"));
  EXPECT_EQ(ReadAll(dir / "n.fix"), (Bytes{1, 2}));
  ASSERT_FALSE(CreateIfMissing(dir / "new.fix"));
  EXPECT_TRUE(fs::exists(dir / "new.fix"));
}

}  // namespace
}  // namespace brannoc
