// The Brannoc-512 fixture library editor.
//
//   brannoc512 [FILE]    FILE, a fixture file, opens in the fixture editor at start

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "data/names/name_set_folder.h"
#include "windows/shell/program.h"

namespace {

// Where "ChNameSet.fix" lives for this run: beside the program, or for an
// installed program the user's data folder, seeded from the installed file (or,
// without one, the installed file itself, read-only).
brannoc::NameSetLocation NameSetFolderOfThisRun() {
  const std::filesystem::path programFolder = QCoreApplication::applicationDirPath().toStdString();
  const brannoc::NameSetLocation chosen = brannoc::ChooseNameSetFolder({
      programFolder,
      programFolder / BRANNOC_DATA_FROM_BIN / "ChNameSet.fix",
      brannoc::UserNameSetFolder(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")),
      brannoc::CanCreateFileIn,
  });
  if (chosen.problem) std::fprintf(stderr, "brannoc512: %s\n", chosen.problem->message.c_str());
  return chosen;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);  // takes Qt's own options out of argv
  QString file;
  if (argc > 1) file = QString::fromLocal8Bit(argv[1]);
  if (argc > 2) std::fprintf(stderr, "brannoc512: opens one file; only %s is opened\n", argv[1]);

  const brannoc::NameSetLocation names = NameSetFolderOfThisRun();
  brannoc::Program program(names.folder, file, names.readOnly);
  return QApplication::exec();
}
