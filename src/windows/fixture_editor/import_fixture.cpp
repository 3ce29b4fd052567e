// "&Import Fixture...": one mode of a fixture definition (a QLC+ .qxf, a GDTF
// .gdtf or its description.xml) becomes the fixture in memory, after the user
// has read what had to change to fit.

#include <QFileInfo>
#include <QStringList>
#include <algorithm>

#include "data/core/file_io.h"
#include "windows/fixture_editor/editor_window.h"
#include "windows/library_dialog/preview_table.h"
#include "data/import_sequence/sequence.h"
#include "data/library/preview.h"
#include "windows/ui/cell_editors.h"

namespace brannoc {
namespace {

const QString kDefinitionFilter = QStringLiteral(
    "GDTF Fixture(*.gdtf)|*.gdtf|QLC+ Fixture Definition(*.qxf)|*.qxf|GDTF Description(description.xml)|description.xml");
const QString kImportTitle = QStringLiteral("Brannoc-512 Import");
const QString kCR = QString(QChar(13));


QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

QString Joined(const std::vector<std::string>& lines, const QString& separator) {
  QStringList list;
  for (const std::string& line : lines) list << FromUtf8(line);
  return list.join(separator);
}

}  // namespace

void Pelorin::ImportFixture_Click() {
  CommitOpenEditor();
  Text5->HideEditor();
  Combo13->HideEditor();
  Combo10->HideEditor();
  Combo2->HideEditor();
  const ui::Answer answer = app_.Dialogs->Ask(this, QStringLiteral("Any current settings will be lost,continue"),
                                              QStringLiteral("Pelorin Fixture"), ui::Buttons::OkCancel,
                                              ui::Icon::None);
  if (answer != ui::Answer::Ok) return;
  const auto chosen = app_.Dialogs->OpenFileName(this, kDefinitionFilter);
  if (!chosen) return;
  ImportFixtureFile(*chosen);
}

void Pelorin::FixtureLibrary_Click() {
  CommitOpenEditor();
  Text5->HideEditor();
  Combo13->HideEditor();
  Combo10->HideEditor();
  Combo2->HideEditor();
  FixtureLibrary library(app_.Names.Set(), LibraryPlacesSource(), this);
  if (library.exec() != QDialog::Accepted) {
    Text1->setFocus(Qt::OtherFocusReason);
    return;
  }
  const ui::Answer answer = app_.Dialogs->Ask(this, QStringLiteral("Any current settings will be lost,continue"),
                                              QStringLiteral("Pelorin Fixture"), ui::Buttons::OkCancel,
                                              ui::Icon::None);
  if (answer != ui::Answer::Ok) return;
  ImportFixtureFile(QString::fromStdString(library.ChosenPath().string()), library.ChosenMode());
}

// The editor's part of the import sequence: the list of modes, the box that
// shows what the mode gives, the question before names are added, and the
// fixture shown here or the LED fixture in its own editor.
class Pelorin::ImportQuestions : public ImportCaller {
 public:
  ImportQuestions(Pelorin& window, const QString& path, std::optional<std::size_t> chosenMode)
      : w_(window), path_(path), chosenMode_(chosenMode) {}

  // The mode: the one chosen in the library, the only one, or the one the user
  // picks from the list.
  std::optional<std::size_t> ChooseMode(const DefinitionModes& modes) override {
    if (modes.Modes.empty()) {
      w_.RefuseImport(path_, QStringLiteral("The fixture definition has no modes."));
      return std::nullopt;
    }
    if (chosenMode_) return chosenMode_;
    if (modes.Modes.size() == 1) return 0;
    std::vector<ui::ListEntry> entries;
    for (const DefinitionMode& m : modes.Modes) {
      entries.push_back({FromUtf8(m.Name) + QStringLiteral(": ") + QString::number(m.ChannelCount) +
                             QStringLiteral(" channels, ") + QString::number(m.StepCount) + QStringLiteral(" steps"),
                         m.Fits ? QString() : FromUtf8(m.Why)});
    }
    const auto picked = w_.app_.Dialogs->ChooseFromList(
        &w_, kImportTitle, QStringLiteral("Modes of ") + FromUtf8(modes.Model) + QStringLiteral(":"), entries);
    if (!picked) return std::nullopt;
    return static_cast<std::size_t>(*picked);
  }

  const ChannelNameSet* Names(std::string& /*problem*/) override { return &w_.app_.Names.Set(); }

  // The box: the lines about the whole fixture, the palettes the channels give
  // (made unless the user unticks the box), the channels, and for a mode that
  // fits the LED form the choice of the LED fixture, taken by default.
  bool Look(const ListedDefinitionFile& file, ImportedMode& mode) override {
    const ImportResult& imported = mode.Fixture;
    const LedImportResult& led = mode.Led;
    const DefinitionModes& modes = file.List;
    const ImportPreview preview = PreviewImport(imported, DefinitionModeChannelNames(file.Content, mode.Mode));
    ui::TableQuestion box;
    box.title = kImportTitle;
    const DefinitionMode& listed = modes.Modes[std::min(mode.Mode, modes.Modes.size() - 1)];
    box.lines << FromUtf8(modes.Model) + QStringLiteral(", mode \"") + FromUtf8(listed.Name) +
                          QStringLiteral("\": ") + QString::number(imported.Record->ChannelCount) +
                          (imported.Record->ChannelCount == 1 ? QStringLiteral(" channel") : QStringLiteral(" channels"));
    for (const std::string& line : preview.FixtureLines) box.lines << FromUtf8(line);
    {
      auto withPalettes = std::make_unique<FixtureRecord>(*imported.Record);
      for (const std::string& line : FillPalettes(*withPalettes).ReportLines()) box.lines << FromUtf8(line);
    }
    if (led.Record) {
      QStringList ledNames;
      for (int c = 0; c < led.Record->ChannelCount; ++c) {
        ledNames << QString::fromStdString(std::string(LedName(led.Record->Channels[static_cast<std::size_t>(c)].NameIndex)));
      }
      box.lines << QStringLiteral("As an LED fixture: ") + ledNames.join(QStringLiteral(", "));
      for (const std::string& line : led.Report) {
        if (std::find(imported.Report.begin(), imported.Report.end(), line) == imported.Report.end()) {
          box.lines << QStringLiteral("As an LED fixture: ") + FromUtf8(line);
        }
      }
      box.options = {QStringLiteral("Import as an LED fixture (512-byte file)"), QStringLiteral("Import as a fixture")};
      box.option = 0;
      box.checkWithOption = 1;  // palettes belong to the fixture, not to the LED fixture
    }
    box.headers = PreviewHeaders();
    box.rows = PreviewCells(preview);
    box.checkText = QStringLiteral("Fill the palettes from the channels");
    box.checked = true;
    if (w_.app_.Dialogs->AskWithTable(&w_, box) != ui::Answer::Ok) {
      w_.Text1->setFocus(Qt::OtherFocusReason);
      return false;
    }
    mode.FillPalettes = box.checked;
    mode.KeepLed = led.Record && box.option == 0;
    return true;
  }

  bool AddMissingNames(const std::vector<std::string>& missing) override {
    const bool one = missing.size() == 1;
    const QString question = one ? QStringLiteral("Channel Name does not exist,Do you wish to add it?")
                                 : QStringLiteral("Channel Names do not exist,Do you wish to add them?");
    const ui::Answer add = w_.app_.Dialogs->Ask(&w_, question + kCR + Joined(missing, QStringLiteral(", ")),
                                                QStringLiteral("Add Channel Name"), ui::Buttons::YesNo, ui::Icon::None);
    if (add != ui::Answer::Yes) return false;
    w_.AddImportedNames(missing);
    return true;
  }

  // The LED fixture goes to its own editor, to be saved there, and the fixture
  // in memory here stays as it is; a fixture is shown here.
  std::optional<std::string> Keep(const ListedDefinitionFile& /*file*/, ImportedMode& mode) override {
    if (mode.KeepLed) {
      if (!w_.shell_.ShowImportedLedFixture(*mode.Led.Record)) return std::string();
      return std::nullopt;
    }
    w_.ShowFixture(*mode.Fixture.Record);
    w_.Text1->setFocus(Qt::OtherFocusReason);
    return std::nullopt;
  }

 private:
  Pelorin& w_;
  QString path_;
  std::optional<std::size_t> chosenMode_;
};

void Pelorin::RefuseImport(const QString& path, const QString& why) {
  app_.Dialogs->Ask(this, path + QStringLiteral(" could not be imported.") + kCR + why, kImportTitle, ui::Buttons::Ok,
                    ui::Icon::Warning);
  Text1->setFocus(Qt::OtherFocusReason);
}

bool Pelorin::ImportFixtureFile(const QString& path, std::optional<std::size_t> chosenMode) {
  ImportQuestions questions(*this, path, chosenMode);
  const ImportOutcome outcome =
      ImportDefinitionFile(std::filesystem::path(path.toStdString()), ImportAs::Either, true, questions);
  if (!outcome.Problem.empty()) RefuseImport(path, FromUtf8(outcome.Problem));
  return outcome.Kept;
}

void Pelorin::AddImportedNames(const std::vector<std::string>& names) {
  // One write for all of them; the set tells this window, which adds them to the chooser.
  const NameSetOwner::Added added = app_.Names.Add(names);
  QStringList notAdded;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!added.taken[i]) notAdded << FromUtf8(names[i]);
  }
  QStringList notWritten;
  if (added.error) {
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (added.taken[i]) notWritten << FromUtf8(names[i]);
    }
  }
  const QString writeError = added.error ? FromUtf8(added.error->message) : QString();
  const auto path = app_.Names.File();
  if (!notAdded.isEmpty()) {
    app_.Dialogs->Ask(this,
                      QStringLiteral("The channel name set has no free place for: ") + notAdded.join(QStringLiteral(", ")) +
                          kCR + QStringLiteral("Their channels keep no code."),
                      QStringLiteral("Add Channel Name"), ui::Buttons::Ok, ui::Icon::Warning);
  }
  if (!notWritten.isEmpty()) {
    app_.Dialogs->Ask(this,
                      notWritten.join(QStringLiteral(", ")) + QStringLiteral(" could not be added to ") +
                          FromUtf8(path.string()) + QStringLiteral("; they are kept until the program ends.") + kCR + writeError,
                      QStringLiteral("Add Channel Name"), ui::Buttons::Ok, ui::Icon::Warning);
  }
}

}  // namespace brannoc
