#pragma once
// Where "ChNameSet.fix" lives for this run.
//
// A copy of the program in a folder of its own (a build folder, a portable copy
// on a stick) keeps the vocabulary beside the program, as it always has: when
// that folder already holds a "ChNameSet.fix", or when it can be written and the
// program is not an installed one. An installed program (one that has its
// share/brannoc512/ChNameSet.fix beside bin/) never writes into bin/: each user
// gets a vocabulary of their own in the user's data folder
// ($XDG_DATA_HOME/brannoc512, by default ~/.local/share/brannoc512), created on
// the first start and seeded from the installed file. A file the user already
// has there is never replaced. Without a user folder that can take it, an
// installed program reads the installed file and changes nothing.
//
// The shell decides this once at start-up; every window and writer then gets the
// one folder.

#include <filesystem>
#include <functional>
#include <optional>

#include "data/core/file_io.h"

namespace brannoc {

struct NameSetFolderInputs {
  // The folder of the running program.
  std::filesystem::path programFolder;
  // The "ChNameSet.fix" an installation carries (share/brannoc512/ of its prefix).
  std::filesystem::path installedNameSet;
  // The user's own folder for it; none when the environment names no home.
  std::optional<std::filesystem::path> userFolder;
  // Whether a file can be created in a folder.
  std::function<bool(const std::filesystem::path&)> canWrite;
};

struct NameSetLocation {
  std::filesystem::path folder;
  // Set when the user's folder could not be made ready: there is none, it could
  // not be created or the vocabulary could not be put in it. An installed program
  // then uses the installed file's folder read-only; a copy of its own, its folder.
  std::optional<IoError> problem;
  // Nothing may be written into `folder`.
  bool readOnly = false;
};

// Picks the folder (see above); creates and seeds the user's folder when that is
// the one. Without a readable installed file the seed is the 41 built-in names.
NameSetLocation ChooseNameSetFolder(const NameSetFolderInputs& inputs);

// $XDG_DATA_HOME/brannoc512 when that variable holds an absolute path, otherwise
// $HOME/.local/share/brannoc512; none without either. Takes the variables' values
// (null when unset).
std::optional<std::filesystem::path> UserNameSetFolder(const char* xdgDataHome, const char* home);

// Whether this process can create a file in `folder`: tries it, with a file of a
// name of its own that is removed at once.
bool CanCreateFileIn(const std::filesystem::path& folder);

}  // namespace brannoc
