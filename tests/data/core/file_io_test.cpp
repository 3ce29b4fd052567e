#include "data/core/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "support/fifo.h"
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

// Something that is not a regular file, as the system reports it.
struct Odd {
  bool fifo;
  dev_t device;
};

Odd Kind(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return {S_ISFIFO(st.st_mode), S_ISCHR(st.st_mode) ? st.st_rdev : 0};
}

TEST(ReplaceFile, RefusesANamedPipeAndADeviceAndLeavesThemAsTheyWere) {
  TempDir dir;
  ASSERT_TRUE(test::MakeFifo(dir / "pipe.tff"));
  const auto error = ReplaceFile(dir / "pipe.tff", Bytes{1, 2});
  ASSERT_TRUE(error);
  EXPECT_NE(error->message.find("pipe.tff: it is a named pipe (FIFO), not a regular file"), std::string::npos)
      << error->message;
  EXPECT_TRUE(Kind(dir / "pipe.tff").fifo);
  // Through a link the file it points at counts, and the link stays.
  fs::create_symlink(dir / "pipe.tff", dir / "link.tff");
  EXPECT_TRUE(ReplaceFile(dir / "link.tff", Bytes{1}, /*keepTail=*/true));
  EXPECT_TRUE(fs::is_symlink(dir / "link.tff"));
  EXPECT_TRUE(Kind(dir / "pipe.tff").fifo);
  EXPECT_EQ(test::FileNames(dir.path()), (std::vector<std::string>{"link.tff", "pipe.tff"}));

  if (!test::MakeNullDevice(dir / "null.tff")) GTEST_SKIP() << "this run may not make a device (mknod refused)";
  const auto refused = ReplaceFile(dir / "null.tff", Bytes{1, 2});
  ASSERT_TRUE(refused);
  EXPECT_NE(refused->message.find("null.tff: it is a character device, not a regular file"), std::string::npos)
      << refused->message;
  EXPECT_EQ(Kind(dir / "null.tff").device, makedev(1, 3));
}

TEST(ReplaceFile, ThroughALinkReplacesTheFileItPointsAt) {
  TempDir dir;
  WriteAll(dir / "real.fix", Bytes{1, 2, 3});
  fs::create_symlink("real.fix", dir / "ChNameSet.fix");
  ASSERT_FALSE(ReplaceFile(dir / "ChNameSet.fix", Bytes{9}, /*keepTail=*/true));
  EXPECT_TRUE(fs::is_symlink(dir / "ChNameSet.fix"));
  EXPECT_EQ(ReadAll(dir / "real.fix"), (Bytes{9, 2, 3}));
}

TEST(ReplaceFile, ALinkToAFileNotThereYetStaysAndTheFileIsMadeWhereItPoints) {
  TempDir dir;
  fs::create_directory(dir / "shared");
  fs::create_symlink("shared/real.fix", dir / "ChNameSet.fix");
  ASSERT_FALSE(ReplaceFile(dir / "ChNameSet.fix", Bytes{9, 8}));
  EXPECT_TRUE(fs::is_symlink(dir / "ChNameSet.fix"));
  EXPECT_EQ(ReadAll(dir / "shared" / "real.fix"), (Bytes{9, 8}));
  EXPECT_EQ(test::FileNames(dir / "shared"), std::vector<std::string>{"real.fix"});
}

// Every call that opens a path comes back at once from a named pipe, with the
// reason, and leaves the pipe where it was.
TEST(FileLayer, ANamedPipeNeverHoldsACallUp) {
  TempDir dir;
  const fs::path pipe = dir / "pipe.fix";
  ASSERT_TRUE(test::MakeFifo(pipe));
  ReadResult read;
  EXPECT_TRUE(test::ReturnsPromptly(pipe, [&] { read = ReadFilePrefix(pipe, 16); }));
  ASSERT_TRUE(read.error);
  EXPECT_EQ(read.error->message, "Cannot read " + pipe.string() + ": it is a named pipe (FIFO), not a regular file");

  std::optional<IoError> written;
  EXPECT_TRUE(test::ReturnsPromptly(pipe, [&] { written = WriteAt(pipe, 14, Bytes{1}); }));
  ASSERT_TRUE(written);
  EXPECT_NE(written->message.find("not a regular file"), std::string::npos) << written->message;

  std::optional<IoError> created;
  EXPECT_TRUE(test::ReturnsPromptly(pipe, [&] { created = CreateIfMissing(pipe); }));
  EXPECT_TRUE(Kind(pipe).fifo);
}

TEST(FileLayer, ADeviceIsNeitherReadNorWritten) {
  TempDir dir;
  if (!test::MakeNullDevice(dir / "null")) GTEST_SKIP() << "this run may not make a device (mknod refused)";
  const auto read = ReadFilePrefix(dir / "null", 16);
  ASSERT_TRUE(read.error);
  EXPECT_NE(read.error->message.find("character device, not a regular file"), std::string::npos);
  EXPECT_TRUE(WriteAt(dir / "null", 0, Bytes{1}));
  EXPECT_EQ(Kind(dir / "null").device, makedev(1, 3));
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
