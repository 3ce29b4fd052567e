#include "data/names/name_set_folder.h"

#include <gtest/gtest.h>

#include <string>

#include "data/names/name_set.h"
#include "data/names/name_set_owner.h"
#include "support/permissions.h"
#include "support/temp_dir.h"

namespace brannoc {
namespace {
namespace fs = std::filesystem;
using test::FileNames;
using test::ReadAll;
using test::TempDir;
using test::WriteAll;

bool Always(const fs::path&) { return true; }
bool Never(const fs::path&) { return false; }

Bytes BuiltInBytes() {
  ChannelNameSet set;
  RestoreDefaultNames(set);
  return SerializeChannelNameSet(set);
}

// A machine with the program in bin/ and, when `installed`, the installed
// vocabulary (the built-in names and "Hazer") in share/brannoc512/.
struct Machine {
  explicit Machine(bool installed) {
    fs::create_directories(bin());
    if (installed) {
      fs::create_directories(installedFile().parent_path());
      ChannelNameSet set;
      RestoreDefaultNames(set);
      AddChannelName(set, "Hazer");
      shipped = SerializeChannelNameSet(set);
      WriteAll(installedFile(), shipped);
    }
  }
  fs::path bin() const { return root / "prefix" / "bin"; }
  fs::path installedFile() const { return root / "prefix" / "share" / "brannoc512" / "ChNameSet.fix"; }
  fs::path user() const { return root / "home" / ".local" / "share" / "brannoc512"; }
  NameSetFolderInputs Inputs(std::function<bool(const fs::path&)> canWrite) const {
    return {bin(), installedFile(), user(), std::move(canWrite)};
  }

  TempDir root;
  Bytes shipped;
};

TEST(NameSetFolder, APortableCopyKeepsTheFileBesideTheProgram) {
  // A writable folder of a copy that is not installed: used as it is, nothing
  // is made anywhere else.
  Machine portable(/*installed=*/false);
  NameSetLocation chosen = ChooseNameSetFolder(portable.Inputs(CanCreateFileIn));
  EXPECT_EQ(chosen.folder, portable.bin());
  EXPECT_FALSE(chosen.problem);
  EXPECT_TRUE(FileNames(portable.bin()).empty());
  EXPECT_FALSE(fs::exists(portable.user()));

  // A folder that holds one stays in use even where nothing can be written.
  WriteAll(ChannelNameSetPath(portable.bin()), BuiltInBytes());
  chosen = ChooseNameSetFolder(portable.Inputs(Never));
  EXPECT_EQ(chosen.folder, portable.bin());
  EXPECT_FALSE(fs::exists(portable.user()));
}

TEST(NameSetFolder, AReadOnlyProgramFolderUsesTheUsersFolderSeededOnceFromTheInstalledFile) {
  Machine machine(/*installed=*/true);
  NameSetLocation chosen = ChooseNameSetFolder(machine.Inputs(Never));
  EXPECT_EQ(chosen.folder, machine.user());
  EXPECT_FALSE(chosen.problem);
  EXPECT_EQ(ReadAll(ChannelNameSetPath(machine.user())), machine.shipped);
  EXPECT_EQ(FileNames(machine.user()), std::vector<std::string>{"ChNameSet.fix"});
  EXPECT_TRUE(FileNames(machine.bin()).empty());

  // The user's own names survive the next start, and so does a file the user
  // emptied or cut short: it is theirs.
  ChannelNameSet mine;
  RestoreDefaultNames(mine);
  AddChannelName(mine, "Frost");
  WriteAll(ChannelNameSetPath(machine.user()), SerializeChannelNameSet(mine));
  chosen = ChooseNameSetFolder(machine.Inputs(Never));
  EXPECT_EQ(chosen.folder, machine.user());
  EXPECT_EQ(ReadAll(ChannelNameSetPath(machine.user())), SerializeChannelNameSet(mine));
  WriteAll(ChannelNameSetPath(machine.user()), Bytes{});
  ChooseNameSetFolder(machine.Inputs(Never));
  EXPECT_TRUE(ReadAll(ChannelNameSetPath(machine.user())).empty());
}

TEST(NameSetFolder, AFolderThisProcessCannotWriteIsTold) {
  // Tests run as root, who writes anywhere: the process gives that power up
  // while it looks.
  Machine machine(/*installed=*/false);
  fs::permissions(machine.bin(), fs::perms::owner_read | fs::perms::owner_exec);
  NameSetLocation chosen;
  {
    test::ScopedObeyPermissions obey;
    EXPECT_FALSE(CanCreateFileIn(machine.bin()));
    chosen = ChooseNameSetFolder(machine.Inputs(CanCreateFileIn));
  }
  fs::permissions(machine.bin(), fs::perms::owner_all);
  EXPECT_EQ(chosen.folder, machine.user());
  // Without an installed file the seed is the built-in names.
  EXPECT_EQ(ReadAll(ChannelNameSetPath(machine.user())), BuiltInBytes());
  EXPECT_TRUE(FileNames(machine.bin()).empty());

  EXPECT_TRUE(CanCreateFileIn(machine.bin()));
  EXPECT_TRUE(FileNames(machine.bin()).empty());  // the try leaves nothing behind
  EXPECT_FALSE(CanCreateFileIn(machine.root / "missing"));
}

TEST(NameSetFolder, AnInstalledProgramNeverWritesBesideItself) {
  // Root can write into /usr/bin; the vocabulary still goes to root's own folder.
  Machine machine(/*installed=*/true);
  const NameSetLocation chosen = ChooseNameSetFolder(machine.Inputs(Always));
  EXPECT_EQ(chosen.folder, machine.user());
  EXPECT_EQ(ReadAll(ChannelNameSetPath(machine.user())), machine.shipped);
  EXPECT_TRUE(FileNames(machine.bin()).empty());
}

TEST(NameSetFolder, ADamagedInstalledFileSeedsTheBuiltInNames) {
  Machine machine(/*installed=*/true);
  WriteAll(machine.installedFile(), Bytes(100, 'x'));
  ChooseNameSetFolder(machine.Inputs(Never));
  EXPECT_EQ(ReadAll(ChannelNameSetPath(machine.user())), BuiltInBytes());
}

TEST(NameSetFolder, WithoutAUsableUsersFolderAnInstalledProgramReadsTheInstalledNamesAndWritesNothing) {
  Machine machine(/*installed=*/true);
  const Bytes installedBefore = ReadAll(machine.installedFile());
  // Something that is not a folder stands where the folder should be.
  fs::create_directories(machine.user().parent_path());
  WriteAll(machine.user(), Bytes{1, 2, 3});
  NameSetLocation chosen = ChooseNameSetFolder(machine.Inputs(Always));
  EXPECT_EQ(chosen.folder, machine.installedFile().parent_path());
  EXPECT_TRUE(chosen.readOnly);
  ASSERT_TRUE(chosen.problem);
  EXPECT_NE(chosen.problem->message.find(machine.user().string()), std::string::npos);
  EXPECT_EQ(ReadAll(machine.user()), (Bytes{1, 2, 3}));

  NameSetFolderInputs homeless = machine.Inputs(Always);
  homeless.userFolder.reset();
  chosen = ChooseNameSetFolder(homeless);
  EXPECT_EQ(chosen.folder, machine.installedFile().parent_path());
  EXPECT_TRUE(chosen.readOnly);
  EXPECT_TRUE(chosen.problem);

  // The run offers the installed names; a name added stays out of every file.
  NameSetOwner names;
  names.Load(chosen.folder, chosen.readOnly);
  EXPECT_EQ(names.Set(), ParseChannelNameSet(machine.shipped));
  const NameSetOwner::Added added = names.Add({"Frost"});
  EXPECT_TRUE(added.error);
  EXPECT_TRUE(FileNames(machine.bin()).empty());
  EXPECT_EQ(ReadAll(machine.installedFile()), installedBefore);

  // The next start with a home seeds the user's folder as usual.
  fs::remove(machine.user());
  chosen = ChooseNameSetFolder(machine.Inputs(Always));
  EXPECT_EQ(chosen.folder, machine.user());
  EXPECT_FALSE(chosen.readOnly);
  EXPECT_EQ(ReadAll(ChannelNameSetPath(machine.user())), machine.shipped);
}

TEST(NameSetFolder, ACopyOfItsOwnWithoutAUsersFolderKeepsToItsFolder) {
  Machine machine(/*installed=*/false);
  NameSetFolderInputs homeless = machine.Inputs(Never);
  homeless.userFolder.reset();
  const NameSetLocation chosen = ChooseNameSetFolder(homeless);
  EXPECT_EQ(chosen.folder, machine.bin());
  EXPECT_FALSE(chosen.readOnly);
  EXPECT_TRUE(chosen.problem);
}

TEST(NameSetFolder, TheUsersFolderFollowsTheXdgDataHome) {
  EXPECT_EQ(UserNameSetFolder("/data/me", "/home/me"), fs::path("/data/me/brannoc512"));
  // Unset, empty or relative: the default under the home folder.
  EXPECT_EQ(UserNameSetFolder(nullptr, "/home/me"), fs::path("/home/me/.local/share/brannoc512"));
  EXPECT_EQ(UserNameSetFolder("", "/home/me"), fs::path("/home/me/.local/share/brannoc512"));
  EXPECT_EQ(UserNameSetFolder("data", "/home/me"), fs::path("/home/me/.local/share/brannoc512"));
  EXPECT_FALSE(UserNameSetFolder(nullptr, nullptr));
  EXPECT_FALSE(UserNameSetFolder("relative", ""));
}

}  // namespace
}  // namespace brannoc
