#include "scenarios.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QStringList>
#include <QTabBar>
#include <QTest>
#include <QElapsedTimer>
#include <QListWidget>
#include <algorithm>
#include <chrono>
#include <memory>
#include <cstdio>
#include <filesystem>
#include <string>

#include "windows/name_editor/editor_window.h"
#include "windows/fixture_editor/editor_window.h"
#include "data/core/file_io.h"
#include "data/checks/checks.h"
#include "data/fixture/file.h"
#include "data/import/qxf.h"
#include "floor.h"
#include "windows/palette_editor/editor_window.h"
#include "data/palette_fill/generate.h"
#include "support/gui.h"
#include "windows/ui/cell_editors.h"
#include "windows/ui/grid.h"
#include "windows/ui/twips.h"

namespace brannoc::bench {
namespace {

// The 40 channels of a full fixture: names of the built-in vocabulary.
constexpr const char* kChannelNames[] = {"Pan", "Tilt", "Dimmer", "Colour", "Shutter", "Gobo", "Prism", "Focus",
                                         "Zoom", "Iris", "Frost", "Speed"};

FixedText<8> StepName(int s) { return FixedText<8>::FromUtf8("Step " + std::to_string(s + 1)); }

void GiveSteps(FixtureRecord& fixture, int channel, int count) {
  const auto ch = static_cast<std::size_t>(channel);
  fixture.StepCounts[ch] = static_cast<std::uint8_t>(count);
  for (int s = 0; s < count; ++s) {
    fixture.Steps[ch][static_cast<std::size_t>(s)] = {static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(s + 1),
                                                      StepName(s)};
  }
}

// Ten palettes of 40 members, each with ten named presets.
void GiveFullPalettes(PaletteData& palettes) {
  for (std::size_t p = 0; p < kPaletteCount; ++p) {
    palettes.PaletteName[p] = PaletteText::FromUtf8("Pal " + std::to_string(p + 1));
    for (std::size_t k = 0; k < kPresetCount; ++k) {
      palettes.PresetName[p][k] =
          PaletteText::FromUtf8(QStringLiteral("P%1-%2").arg(p + 1).arg(k + 1).toStdString());
      for (std::size_t i = 0; i < kPaletteChannels; ++i) {
        palettes.PaletteMember[p][i] = 1;
        palettes.PresetValue[p][i][k] = static_cast<std::uint8_t>((p * 40 + i * 7 + k * 13) % 256);
      }
    }
  }
  UpdatePaletteCounts(palettes, kPaletteChannels);
}

// A full fixture: 40 named channels, the 204 steps the file holds (48 on
// channel 1, 4 on each other channel) and ten palettes of 40 members.
FixtureRecord FullFixture() {
  FixtureRecord fixture;
  ResetFixture(fixture, kMaxChannels);
  fixture.FixtureName = FixedText<11>::FromUtf8("Full Spot");
  fixture.MaxPanDegree = 540;
  fixture.MaxTiltDegree = 270;
  for (int c = 0; c < kMaxChannels; ++c) {
    ChannelRecord& channel = fixture.Channels[static_cast<std::size_t>(c)];
    const std::string base = kChannelNames[c % std::size(kChannelNames)];
    channel.Name = FixedText<12>::FromUtf8(c < 12 ? base : base + " " + std::to_string(c / 12 + 1));
    channel.Value = static_cast<std::uint8_t>(c * 5);
    GiveSteps(fixture, c, c == 0 ? 48 : 4);
  }
  fixture.Channels[0].Type = InstantLTP16H;
  fixture.Channels[0].Partner = 2;
  fixture.Channels[1].Type = InstantLTP16L;
  GiveFullPalettes(fixture.Palettes);
  return fixture;
}

constexpr const char* kQlcFixtures = "/usr/share/qlcplus/fixtures";

struct LargestMode {
  std::filesystem::path path;
  std::size_t index = 0;
  QxfMode mode;
};

// The importable mode with the most channels, and of those the most steps, of
// all the fixture definitions under `folder`.
LargestMode FindLargestQxfMode(const std::filesystem::path& folder) {
  LargestMode largest;
  std::error_code ec;
  std::vector<std::filesystem::path> files;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_regular_file(ec) && it->path().extension() == ".qxf") files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());  // the same choice on every run
  for (const auto& path : files) {
    const ReadResult file = ReadFilePrefix(path, kMaxQxfBytes + 1);
    if (file.error || QxfTooLarge(file.fileSize)) continue;
    const QxfModeList modes = ListQxfModes(file.bytes);
    for (std::size_t i = 0; i < modes.Modes.size(); ++i) {
      const QxfMode& m = modes.Modes[i];
      if (!m.Fits) continue;
      if (largest.path.empty() || std::pair(m.ChannelCount, m.StepCount) >
                                      std::pair(largest.mode.ChannelCount, largest.mode.StepCount)) {
        largest = {path, i, m};
      }
    }
  }
  return largest;
}

QSize ClientSize(QMdiSubWindow* sub) { return sub->widget()->size(); }

// A floor table like the editor's grid.
FloorTable Like(const QTableWidget* grid, QMdiSubWindow* sub) { return FloorTable::Like(grid, sub->widget()); }

class Bench {
 public:
  explicit Bench(const Options& options) : options_(options) {
    QScreen* screen = QApplication::primaryScreen();
    program_.form->move(0, 0);
    floor_.resize(program_.form->size());
    floor_.move(program_.form->frameGeometry().right() + 10, 0);
    if (screen && floor_.frameGeometry().right() > screen->geometry().right()) {
      std::fprintf(stderr, "note: the screen is too small to show the floor beside the program\n");
    }
    floor_.show();
    if (!QTest::qWaitForWindowExposed(&floor_)) std::fprintf(stderr, "note: the floor window was never exposed\n");
    Settle();
    newFixture_ = *program_.app.Fixture;
  }

  ActionResults Run() {
    ChannelCounts();
    StepsGrid();
    OpenFullFixture();
    TypingInACellWithTheCheckList();
    ChecksOfAFullFixture();
    ImportLargestQxfMode();
    FillPalettesOfLargestMode();
    OpenFixtureEditor();
    OpenChannelNameEditor();
    PaletteTabChange();
    return std::move(results_);
  }

 private:
  Pelorin* Fixture() const { return program_.FixtureEditor(); }
  QMdiSubWindow* Window(Editor editor) const { return program_.form->Window(editor); }

  bool Wanted(const QString& name) const { return options_.only.isEmpty() || name.contains(options_.only); }

  void Add(const QString& name, const Side& action, const Side& floor) {
    if (!Wanted(name)) {
      floor_.CloseAll();
      return;
    }
    std::fprintf(stderr, "  %s\n", qPrintable(name));
    if (options_.window) {
      results_.window.push_back(Compare(name, action, floor, Paint::Window, options_.runs, options_.warmup));
    }
    if (options_.settled) {
      results_.settled.push_back(Compare(name, action, floor, Paint::Settled, options_.runs, options_.warmup));
    }
    floor_.CloseAll();
    Settle();
  }

  // Channel count: the user picks a count in "Number of Channels:".
  void ChannelCounts() {
    Pelorin* w = Fixture();
    QMdiSubWindow* sub = Window(Editor::Fixture);
    const std::vector<FloorTable> grid = {Like(w->MSFlexGrid1, sub)};
    auto pick = [w](int count) { w->Combo1->SetListIndex(count - 1); };
    for (auto [from, to] : {std::pair{1, 8}, {1, 16}, {1, 40}, {40, 1}}) {
      Side action{[=] { pick(from); }, [=]() -> QWidget* {
                    pick(to);
                    return sub;
                  }};
      const Side floor =
          floor_.Refilled(sub->windowTitle(), ClientSize(sub), grid, {{from, to, std::min(from, to)}});
      Add(QStringLiteral("channel count %1 -> %2").arg(from).arg(to), action, floor);
    }
  }

  // The steps grid shows a channel of 10, 100 and 255 steps, picked in "Channel:".
  void StepsGrid() {
    Pelorin* w = Fixture();
    QMdiSubWindow* sub = Window(Editor::Fixture);
    w->Combo1->SetListIndex(kMaxChannels - 1);
    FixtureRecord& fixture = *program_.app.Fixture;
    const int counts[] = {10, 100, 255};
    for (int i = 0; i < 3; ++i) GiveSteps(fixture, i + 1, counts[i]);
    const std::vector<FloorTable> grid = {Like(w->MSFlexGrid2, sub)};
    for (int i = 0; i < 3; ++i) {
      const int channel = i + 1;
      Side action{[w] { w->Combo9->SetListIndex(0); }, [w, sub, channel]() -> QWidget* {
                    w->Combo9->SetListIndex(channel);
                    return sub;
                  }};
      const Side floor = floor_.Refilled(sub->windowTitle(), ClientSize(sub), grid, {{1, counts[i], 0}});
      Add(QStringLiteral("steps grid, %1 steps").arg(counts[i]), action, floor);
    }
    w->Combo9->SetListIndex(0);
  }

  // "&Open Fixture" of a full fixture file onto a new fixture of 8 channels.
  void OpenFullFixture() {
    Pelorin* w = Fixture();
    QMdiSubWindow* sub = Window(Editor::Fixture);
    FixtureRecord full = FullFixture();
    const QString path = program_.File("Full.tff");
    if (auto error = SaveFixtureFile(full, path.toStdString())) {
      std::fprintf(stderr, "the full fixture could not be written: %s\n", error->message.c_str());
      return;
    }
    const std::vector<FloorTable> grids = {Like(w->MSFlexGrid1, sub), Like(w->MSFlexGrid2, sub)};
    Side action{[this, w, path] {
                  w->ResetFixture(8);
                  program_.dialogs.files.push_back(path);
                },
                [w, sub]() -> QWidget* {
                  w->OpenFixture_Click();
                  return sub;
                }};
    const Side floor = floor_.Refilled(sub->windowTitle(), ClientSize(sub), grids, {{8, 40, 0}, {1, 48, 0}});
    Add(QStringLiteral("open a full fixture file"), action, floor);
  }

  // A value typed into a cell of the full fixture and committed by a click on
  // another cell, with the Check list shown: the commit is a recorded change,
  // which brings the list up to date.
  void TypingInACellWithTheCheckList() {
    const QString name = QStringLiteral("type a value in a cell, Check shown");
    if (!Wanted(name)) return;
    Pelorin* w = Fixture();
    QMdiSubWindow* sub = Window(Editor::Fixture);
    if (!w->CheckList->isVisible()) std::fprintf(stderr, "note: the Check list is not shown\n");
    results_.notes.push_back(name + QStringLiteral(": ") + QString::number(w->CheckList->count()) +
                             QStringLiteral(" problems listed"));
    auto next = std::make_shared<int>(0);
    Side action{[w] {
                  test::ClickCell(w->MSFlexGrid1, 5, 4);
                  w->Text5->selectAll();
                },
                [w, sub, next]() -> QWidget* {
                  // The keys and the click alone: what the event loop does
                  // after them is the paint the run times.
                  *next = 1 - *next;
                  QTest::keyClicks(w->Text5, *next ? QStringLiteral("7") : QStringLiteral("8"));
                  const QRect cell = w->MSFlexGrid1->visualRect(w->MSFlexGrid1->model()->index(4, 0));
                  QTest::mouseClick(w->MSFlexGrid1->viewport(), Qt::LeftButton, {}, cell.center());
                  return sub;
                }};
    const std::vector<FloorTable> grid = {Like(w->MSFlexGrid1, sub)};
    // The floor changes the one cell of the row clicked, as the commit does.
    Add(name, action, floor_.Refilled(sub->windowTitle(), ClientSize(sub), grid, {{40, 40, 4, 5}}));
  }

  // The checks of the full fixture alone, without a window: a note, not a row of
  // the table (it has no paint and no floor).
  void ChecksOfAFullFixture() {
    const QString name = QStringLiteral("checks of a full fixture");
    if (!Wanted(name)) return;
    const FixtureRecord full = FullFixture();
    ChannelNameSet names;
    RestoreDefaultNames(names);
    std::vector<double> ms;
    std::size_t problems = 0;
    for (int run = 0; run < options_.warmup + options_.runs * 10; ++run) {
      QElapsedTimer timer;
      timer.start();
      problems = CheckFixture(full, &names).size();
      if (run >= options_.warmup) ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    results_.notes.push_back(name + QStringLiteral(" (40 channels, 204 steps, 10 palettes of 40 members; ") +
                             QString::number(problems) + QStringLiteral(" problems): median ") +
                             QString::number(Median(ms), 'f', 4) + QStringLiteral(" ms, p90 ") +
                             QString::number(Percentile90(ms), 'f', 4) + QStringLiteral(" ms over ") +
                             QString::number(ms.size()) + QStringLiteral(" runs; target under 1 ms"));
  }

  // The import of the largest mode in QLC+'s fixture library (by channels, then
  // steps, of the modes that fit) onto a new fixture of 8 channels: the file
  // read, its modes listed, the mode imported and shown by the fixture editor,
  // as "&Import Fixture..." does once its questions are answered.
  void ImportLargestQxfMode() {
    const QString name = QStringLiteral("import the largest .qxf mode");
    if (!Wanted(name)) return;
    const LargestMode largest = FindLargestQxfMode(kQlcFixtures);
    if (largest.path.empty()) {
      std::fprintf(stderr, "no importable .qxf mode under %s: the import is not timed\n", kQlcFixtures);
      return;
    }
    Pelorin* w = Fixture();
    QMdiSubWindow* sub = Window(Editor::Fixture);
    results_.notes.push_back(name + QStringLiteral(": ") + QString::fromStdString(largest.path.string()) +
                     QStringLiteral(", mode \"") + QString::fromStdString(largest.mode.Name) + QStringLiteral("\", ") +
                     QString::number(largest.mode.ChannelCount) + QStringLiteral(" channels, ") +
                     QString::number(largest.mode.StepCount) + QStringLiteral(" steps"));
    Side action{[w] { w->ResetFixture(8); },
                [this, w, sub, largest]() -> QWidget* {
                  const ReadResult file = ReadFilePrefix(largest.path, kMaxQxfBytes + 1);
                  const QxfModeList modes = ListQxfModes(file.bytes);
                  const QxfImport imported = ImportQxfMode(file.bytes, largest.index, program_.app.Names.Set());
                  if (imported.Record && modes.Error.empty()) w->ShowFixture(*imported.Record);
                  return sub;
                }};
    // The rows the import shows: its channels, and the steps of channel 1.
    const QxfImport sample = ImportQxfMode(ReadFilePrefix(largest.path, kMaxQxfBytes + 1).bytes, largest.index,
                                           program_.app.Names.Set());
    const int channels = sample.Record ? sample.Record->ChannelCount : 0;
    const int steps = sample.Record ? std::max(1, static_cast<int>(sample.Record->StepCounts[0])) : 1;
    const std::vector<FloorTable> grids = {Like(w->MSFlexGrid1, sub), Like(w->MSFlexGrid2, sub)};
    Add(name, action, floor_.Refilled(sub->windowTitle(), ClientSize(sub), grids, {{8, channels, 0}, {1, steps, 0}}));
  }

  // Filling the palettes of the largest mode in QLC+'s library from its channels,
  // the data side alone (no window paints it, so there is no floor): the median
  // of many runs, as a note.
  void FillPalettesOfLargestMode() {
    const QString name = QStringLiteral("fill the palettes of the largest .qxf mode");
    if (!Wanted(name)) return;
    const LargestMode largest = FindLargestQxfMode(kQlcFixtures);
    if (largest.path.empty()) return;
    const QxfImport imported =
        ImportQxfMode(ReadFilePrefix(largest.path, kMaxQxfBytes + 1).bytes, largest.index, program_.app.Names.Set());
    if (!imported.Record) return;
    auto fixture = std::make_unique<FixtureRecord>();
    std::vector<double> times;
    PaletteFill fill;
    const int runs = std::max(options_.runs, 1) * 5;
    for (int run = 0; run < runs; ++run) {
      *fixture = *imported.Record;
      const auto start = std::chrono::steady_clock::now();
      fill = FillPalettes(*fixture);
      times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    QStringList made;
    for (const std::string& palette : fill.Made) made << QString::fromStdString(palette);
    results_.notes.push_back(name + QStringLiteral(" (%1 channels): median %2 ms, p90 %3 ms over %4 runs; made %5")
                                        .arg(imported.Record->ChannelCount)
                                        .arg(times[times.size() / 2], 0, 'f', 4)
                                        .arg(times[times.size() * 9 / 10], 0, 'f', 4)
                                        .arg(runs)
                                        .arg(made.join(QStringLiteral(", "))));
  }

  // The fixture editor opens ("&FixtureEdit") onto the fixture in memory: a new
  // one of 8 channels, and a full one.
  void OpenFixtureEditor() {
    Pelorin* w = Fixture();
    QMdiSubWindow* sub = Window(Editor::Fixture);
    // The window is made afresh by each run: what the floor needs of it is taken now.
    const QString caption = sub->windowTitle();
    const QSize client = ClientSize(sub);
    const std::vector<FloorTable> grids = {Like(w->MSFlexGrid1, sub), Like(w->MSFlexGrid2, sub)};
    const FixtureRecord full = *program_.app.Fixture;  // as the last open left it
    struct Case {
      QString name;
      FixtureRecord record;
      std::vector<int> rows;
    };
    const Case cases[] = {{QStringLiteral("fixture editor opens, new fixture"), newFixture_, {8, 1}},
                          {QStringLiteral("fixture editor opens, full fixture"), full, {40, 48}}};
    for (const Case& c : cases) {
      Side action{[this, record = c.record] {
                    program_.form->CloseEditor(Editor::Fixture);
                    *program_.app.Fixture = record;
                  },
                  [this]() -> QWidget* {
                    program_.form->numMF->trigger();
                    return Window(Editor::Fixture);
                  }};
      Add(c.name, action, floor_.Opened(caption, client, grids, c.rows));
    }
  }

  // The channel name editor opens ("&EditChName") with its 253 rows.
  void OpenChannelNameEditor() {
    program_.form->numChname->trigger();
    Settle();
    auto* names = program_.form->EditorWidget<EditChName>(Editor::ChannelNames);
    QMdiSubWindow* sub = Window(Editor::ChannelNames);
    const QSize client = ClientSize(sub);
    const std::vector<FloorTable> grid = {Like(names->ChMSFlexGrid, sub)};
    Side action{[this] { program_.form->CloseEditor(Editor::ChannelNames); },
                [this]() -> QWidget* {
                  program_.form->numChname->trigger();
                  return Window(Editor::ChannelNames);
                }};
    Add(QStringLiteral("channel name editor opens, 253 rows"), action,
        floor_.Opened(sub->windowTitle(), client, grid, {253}));
    program_.form->CloseEditor(Editor::ChannelNames);
    Settle();
  }

  // A tab change in the palette editor between two palettes of 40 members.
  void PaletteTabChange() {
    FixtureRecord full = FullFixture();
    Fixture()->ShowFixture(full);
    Fixture()->MnuReturn_Click();
    Settle();
    auto* u = program_.form->EditorWidget<ULink>(Editor::Palette);
    QMdiSubWindow* sub = Window(Editor::Palette);
    if (!u || !sub) {
      std::fprintf(stderr, "the palette editor did not open\n");
      return;
    }
    auto click = [u](int index) {
      QTest::mouseClick(u->TabStrip1, Qt::LeftButton, {}, u->TabStrip1->tabRect(index).center());
    };
    // Each run goes to the other palette.
    auto next = std::make_shared<int>(1);
    Side action{[] {}, [=]() -> QWidget* {
                  click(*next);
                  *next = 1 - *next;
                  return sub;
                }};
    // The floor: a row per member channel with its name, value and bar.
    const QSize client = ClientSize(sub);
    FloorTable table;
    table.geometry = QRect(QPoint(0, 0), client);
    table.columns = 3;
    table.rowHeight = ui::Twips(255);  // as high as the rows of the program's grids
    table.headerHeight = ui::Twips(500);
    Add(QStringLiteral("palette tab change, 40 members"), action,
        floor_.Refilled(sub->windowTitle(), client, {table}, {{0, kPaletteChannels, 0}}));
  }

  Options options_;
  test::ProgramUnderTest program_;
  FloorHost floor_;
  FixtureRecord newFixture_;
  ActionResults results_;
};

}  // namespace

ActionResults RunActions(const Options& options) {
  Bench bench(options);
  return bench.Run();
}

}  // namespace brannoc::bench
