#pragma once
// What lives for the whole run, whichever windows are open: the one fixture with
// its steps, palettes and undo history, the one LED fixture, the channel count
// handed to the palette editor, and the one channel name set with its folder. The shell
// creates it and hands it to each window it opens; no window owns it, so closing
// a window loses nothing.
//
// Beside it, what a window may ask of the shell (Shell): the moves between
// windows and the end of the program. A change of the fixture reaches the other
// windows through AppState (RecordFixtureChange), not through the shell, so no
// editor calls another.

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "data/names/name_set_owner.h"
#include "data/fixture/history.h"
#include "data/fixture/model.h"
#include "data/led/model.h"
#include "windows/ui/dialogs.h"

namespace brannoc {

// An open window that shows the fixture in memory.
class FixtureView {
 public:
  // A change of the fixture was recorded in its history.
  virtual void FixtureChanged() = 0;
  // The fixture in memory was replaced whole, or a new channel count was handed
  // to the palette editor: show it afresh.
  virtual void FixtureReplaced() {}

 protected:
  ~FixtureView() = default;
};

struct AppState {
  std::unique_ptr<FixtureRecord> Fixture = std::make_unique<FixtureRecord>();
  // The fixture's undo history and the fixture as last saved, opened or started.
  FixtureHistory History;
  std::unique_ptr<LedFixtureRecord> LedFixture = std::make_unique<LedFixtureRecord>();
  // The LED fixture as last saved, or as its editor first showed it; nothing
  // until then.
  std::optional<LedFixtureRecord> LedSaved;
  std::uint8_t PaletteChannelCount = 0;
  // Set once the fixture editor has opened: from then on it shows the fixture in
  // memory whenever it opens again.
  bool FixtureEditorOpenedBefore = false;
  // Where "ChNameSet.fix" is read and written, decided once at start-up: beside
  // the program, or the user's data folder for an installed program.
  std::filesystem::path NameSetFolder;
  // True when that folder holds the installed names and nothing may be written
  // there (the user has no folder of their own).
  bool NameSetReadOnly = false;
  // The channel name set, read from that folder once at start-up; every window
  // shows it and changes it only through it.
  NameSetOwner Names;
  ui::Dialogs* Dialogs = nullptr;
  // True while the program is ending: windows close without a question and
  // without a move, and no change is recorded.
  bool Ending = false;
  // The open windows that show the fixture, in the order they opened; the shell
  // adds each when it opens and takes it away when it closes.
  std::vector<FixtureView*> FixtureViews;

  // The one way a committed change of the fixture in memory is recorded: the
  // history takes the record as a step when it differs from the step shown
  // (changes with the same nonzero `run`, such as keys typed into one box, make
  // one step), then each view shows it (the fixture editor what can be undone or
  // redone and whether the fixture is unsaved, the palette editor what the
  // palettes now need).
  void RecordFixtureChange(int run) {
    if (Ending) return;
    History.Record(*Fixture, run);
    for (FixtureView* view : std::vector<FixtureView*>(FixtureViews)) view->FixtureChanged();
  }
  // Each view shows the fixture in memory afresh, as a newly opened window would
  // (edits not yet committed there are dropped). Called whenever the fixture is
  // replaced as a whole and whenever a new channel count is handed to the
  // palette editor.
  void ShowFixtureAfresh() {
    for (FixtureView* view : std::vector<FixtureView*>(FixtureViews)) view->FixtureReplaced();
  }
};

// The four editor windows.
enum class Editor { Fixture, Palette, ChannelNames, LedFixture };

// What a window may ask of the shell.
class Shell {
 public:
  virtual ~Shell() = default;
  // Shows the editor (creating it and running its set-up when it does not exist),
  // then moves it to the top-left corner.
  virtual void ShowAtTopLeft(Editor editor) = 0;
  // Closes the editor's window if it is open.
  virtual void CloseEditor(Editor editor) = 0;
  // Shows `record`, imported from another program's definition, in the LED
  // fixture editor (opening it when it is closed), where the user saves it. When
  // the LED fixture in memory has unsaved changes, asks first whether the import
  // may replace them. False: the user kept them, and nothing changed.
  virtual bool ShowImportedLedFixture(const LedFixtureRecord& record) = 0;
  // Ends the program: first, for the fixture and then the LED fixture, when it
  // has unsaved changes, asks whether to save them (Yes saves through its
  // editor, No goes on, Cancel keeps the program running, as does a save that
  // fails or is cancelled); then every window closes without a question.
  virtual void EndProgram() = 0;
};

}  // namespace brannoc
