// The fixture library: the index built from nothing and started from its cache,
// its memory, a keystroke in "Fixture Library..." over QLC+'s library and the
// GDTF descriptions together, and `tfftool convert` of QLC+'s whole library.
//
// The GDTF descriptions come from ../shared/corpora beside the source tree
// (BRANNOC_GDTF_CORPUS names another archive), unpacked once into a temporary
// folder; without them the library is QLC+'s alone and the notes say so.

#include <malloc.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "data/names/name_set.h"
#include "windows/library_dialog/library_dialog.h"
#include "data/library/index.h"
#include "data/library/search.h"
#include "scenarios.h"
#include "support/corpora.h"

namespace brannoc::bench {
namespace {
namespace fs = std::filesystem;

constexpr const char* kQlcFixtures = "/usr/share/qlcplus/fixtures";

// Targets of the library.
constexpr double kFirstIndexQlcMs = 2000;
constexpr double kFirstIndexBothMs = 6000;
constexpr double kWarmStartMs = 200;
constexpr double kConvertMs = 5000;
constexpr double kIndexMegaBytes = 20;

// The library's measurements, by the names --only picks them by.
constexpr const char* kFirstQlc = "library, first index of QLC+'s library";
constexpr const char* kConvert = "library, tfftool convert of QLC+'s library";
constexpr const char* kFirstBoth = "library, first index of QLC+ and GDTF";
constexpr const char* kMemory = "library, index memory";
constexpr const char* kWarm = "library, warm start from the cache";
constexpr const char* kKeystroke = "library, a keystroke in the search box";

QString Verdict(bool met) { return met ? QStringLiteral("met") : QStringLiteral("MISSED"); }

QString Ms(double ms) { return QString::number(ms, 'f', ms < 10 ? 2 : 0) + QStringLiteral(" ms"); }

// Times `run` `runs` times; the first run's time and the median.
struct Timings {
  double first = 0;
  double median = 0;
  double p90 = 0;
};
Timings Time(int runs, const std::function<void()>& run) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer timer;
    timer.start();
    run();
    ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  return {ms.front(), Median(ms), Percentile90(ms)};
}

// Bytes in use on the heap.
std::size_t HeapInUse() { return mallinfo2().uordblks; }

// The floor of a keystroke: a line edit and a list refilled with as many rows as
// the search found, in a plain window of the dialog's size.
class KeystrokeFloor : public QWidget {
 public:
  KeystrokeFloor(QSize size, std::vector<QString> titles) : titles_(std::move(titles)) {
    setWindowTitle(QStringLiteral("Floor"));
    box = new QLineEdit(this);
    list = new QListWidget(this);
    list->setUniformItemSizes(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(box);
    layout->addWidget(list, 1);
    resize(size);
    connect(box, &QLineEdit::textChanged, this, [this] { Refill(); });
  }
  std::vector<int> rowsAfter;  // rows the search shows after each key
  std::size_t step = 0;        // the key being typed
  QLineEdit* box;
  QListWidget* list;

 private:
  void Refill() {
    const int rows = step < rowsAfter.size() ? rowsAfter[step] : 0;
    list->setUpdatesEnabled(false);
    list->clear();
    for (int r = 0; r < rows; ++r) list->addItem(titles_[static_cast<std::size_t>(r) % titles_.size()]);
    if (rows > 0) list->setCurrentRow(0);
    list->setUpdatesEnabled(true);
  }
  std::vector<QString> titles_;
};

// What a technician types, a key at a time.
constexpr const char* kTyped[] = {"robe pointe", "viper perf", "par 64 rgbw", "clay paky sharpy", "chauvet rogue",
                                  "led bar"};

struct Keystroke {
  QString before;
  QChar key;
};

class LibraryBench {
 public:
  LibraryBench(const Options& options, ActionResults& results) : options_(options), results_(results) {
    RestoreDefaultNames(names_);
  }

  void Run() {
    if (!fs::is_directory(kQlcFixtures)) {
      Note(QStringLiteral("library: no QLC+ library at %1 (Debian's qlcplus-data); not timed").arg(kQlcFixtures));
      return;
    }
    const auto any = [this](std::initializer_list<const char*> names) {
      return std::any_of(names.begin(), names.end(), [this](const char* n) { return Wanted(QString::fromUtf8(n)); });
    };
    if (!any({kFirstQlc, kConvert, kFirstBoth, kMemory, kWarm, kKeystroke})) return;
    folders_ = {kQlcFixtures};
    FirstIndexOfQlc();
    ConvertQlc();
    if (any({kFirstBoth, kMemory, kWarm, kKeystroke}) && UnpackCorpus()) folders_.push_back(corpus_);
    FirstIndexOfBoth();
    IndexMemory();
    WarmStart();
    Keystrokes();
  }

 private:
  bool Wanted(const QString& name) const { return options_.only.isEmpty() || name.contains(options_.only); }
  void Note(const QString& note) {
    std::fprintf(stderr, "  %s\n", qPrintable(note));
    results_.notes.push_back(note);
  }
  QString Libraries() const {
    return folders_.size() > 1 ? QStringLiteral("QLC+ and GDTF") : QStringLiteral("QLC+ alone");
  }

  void FirstIndexOfQlc() {
    const QString name = QString::fromUtf8(kFirstQlc);
    if (!Wanted(name)) return;
    std::size_t entries = 0;
    const Timings t = Time(5, [&] { entries = BuildLibraryIndex(folders_, {}).Entries.size(); });
    Note(QStringLiteral("%1 (%2 files, no cache): first run %3, median %4 of 5; target under %5: %6")
             .arg(name)
             .arg(entries)
             .arg(Ms(t.first), Ms(t.median), Ms(kFirstIndexQlcMs), Verdict(t.median < kFirstIndexQlcMs)));
  }

  void ConvertQlc() {
    const QString name = QString::fromUtf8(kConvert);
    if (!Wanted(name)) return;
    QString summary;
    qsizetype written = 0;
    const Timings t = Time(3, [&] {
      QTemporaryDir out;
      QProcess tfftool;
      tfftool.start(QStringLiteral(TFFTOOL_PATH),
                    {QStringLiteral("convert"), QString::fromUtf8(kQlcFixtures), out.path() + QStringLiteral("/out")});
      tfftool.waitForFinished(120000);
      const QStringList lines = QString::fromUtf8(tfftool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
      summary = lines.filter(QRegularExpression(QStringLiteral("^(converted|refused \\(over 40 channels\\)|damaged) +[0-9]+$"))).join(", ");
      summary = summary.simplified();
      written = QDir(out.path() + QStringLiteral("/out")).entryList({QStringLiteral("*.tff")}).size();
    });
    Note(QStringLiteral("%1, largest mode each (%2 files written; %3): median %4 of 3; target under %5: %6")
             .arg(name)
             .arg(written)
             .arg(summary, Ms(t.median), Ms(kConvertMs), Verdict(t.median < kConvertMs)));
  }

  bool UnpackCorpus() {
    const auto archive = test::GdtfCorpusArchive(BRANNOC_SOURCE_DIR);
    if (!archive) {
      Note(QStringLiteral("library: no GDTF corpus beside the source tree (../shared/corpora); QLC+ alone"));
      return false;
    }
    QProcess tar;
    tar.start(QStringLiteral("tar"), {QStringLiteral("-xJf"), QString::fromStdString(archive->string()),
                                      QStringLiteral("-C"), unpacked_.path()});
    if (!tar.waitForFinished(300000) || tar.exitCode() != 0) {
      Note(QStringLiteral("library: the GDTF corpus could not be unpacked; QLC+ alone"));
      return false;
    }
    corpus_ = unpacked_.path().toStdString();
    return true;
  }

  void FirstIndexOfBoth() {
    const QString name = QString::fromUtf8(kFirstBoth);
    if (folders_.size() < 2 || !Wanted(name)) return;
    std::size_t entries = 0;
    const Timings t = Time(3, [&] { entries = BuildLibraryIndex(folders_, {}).Entries.size(); });
    // The same in "Fixture Library...", a slice at a time between events, with
    // its progress bar, from no cache.
    const Timings dialog = Time(3, [&] {
      QTemporaryDir noCache;
      FixtureLibrary library(names_, Places(fs::path(noCache.path().toStdString()) / "library.cache"));
      library.show();
      library.FinishIndexing();
    });
    Note(QStringLiteral("%1 (%2 files, no cache): first run %3, median %4 of 3; in \"Fixture Library...\" %5 "
                        "median of 3; target under %6: %7")
             .arg(name)
             .arg(entries)
             .arg(Ms(t.first), Ms(t.median), Ms(dialog.median), Ms(kFirstIndexBothMs),
                  Verdict(t.median < kFirstIndexBothMs && dialog.median < kFirstIndexBothMs)));
  }

  // The heap the index holds once built, and with the search's words.
  void IndexMemory() {
    const QString name = QString::fromUtf8(kMemory);
    if (!Wanted(name)) return;
    malloc_trim(0);
    const std::size_t before = HeapInUse();
    auto index = std::make_unique<LibraryIndex>(BuildLibraryIndex(folders_, {}));
    const std::size_t withIndex = HeapInUse();
    auto search = std::make_unique<LibrarySearch>(*index);
    const std::size_t withSearch = HeapInUse();
    const double mb = static_cast<double>(withIndex - before) / (1024.0 * 1024.0);
    const double both = static_cast<double>(withSearch - before) / (1024.0 * 1024.0);
    Note(QStringLiteral("%1, %2 (%3 entries): the index %4 MB, with the search's words %5 MB; target under %6 MB: %7")
             .arg(name, Libraries())
             .arg(index->Entries.size())
             .arg(mb, 0, 'f', 1)
             .arg(both, 0, 'f', 1)
             .arg(kIndexMegaBytes)
             .arg(Verdict(both < kIndexMegaBytes)));
  }

  // What a second start does: the cache read, every file looked at (size and
  // time), the search's words made; and the dialog opened on it until its index
  // is up to date and it is painted.
  void WarmStart() {
    const QString name = QString::fromUtf8(kWarm);
    if (!Wanted(name)) return;
    const fs::path cache = fs::path(cacheDir_.path().toStdString()) / "library.cache";
    (void)SaveLibraryCache(BuildLibraryIndex(folders_, {}), cache);
    std::size_t read = 0;
    std::size_t entries = 0;
    const Timings data = Time(11, [&] {
      const LibraryIndex cached = LoadLibraryCache(cache);
      const LibraryIndex index = BuildLibraryIndex(folders_, cached, &read);
      const LibrarySearch search(index);
      entries = index.Entries.size();
    });
    // The dialog is of use once it shows the cached index; it then looks at
    // every file between events until its index is up to date.
    std::vector<double> usable;
    std::vector<double> current;
    for (int run = 0; run < 11; ++run) {
      QElapsedTimer timer;
      timer.start();
      FixtureLibrary library(names_, Places(cache));
      library.show();
      library.repaint();
      usable.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
      library.FinishIndexing();
      current.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    const double usableP90 = Percentile90(usable);
    const double currentP90 = Percentile90(current);
    Note(QStringLiteral("%1, %2 (%3 entries, %4 files read again): the index alone %5 median, p90 %6; "
                        "\"Fixture Library...\" open, painted and of use %7 median, p90 %8; its index up to date "
                        "%9 median, p90 %10; 11 runs; target under %11: %12")
             .arg(name, Libraries())
             .arg(entries)
             .arg(read)
             .arg(Ms(data.median), Ms(data.p90), Ms(Median(usable)), Ms(usableP90), Ms(Median(current)),
                  Ms(currentP90), Ms(kWarmStartMs))
             .arg(Verdict(usableP90 < kWarmStartMs && currentP90 < kWarmStartMs)));
  }

  // A key typed in the search box, the list refilled and painted (the event loop
  // run until idle), against a plain line edit and list refilled with as many rows.
  void Keystrokes() {
    const QString name = QString::fromUtf8(kKeystroke);
    if (!Wanted(name)) return;
    const fs::path cache = fs::path(cacheDir_.path().toStdString()) / "library.cache";
    auto library = std::make_unique<FixtureLibrary>(names_, Places(cache));
    library->move(0, 0);
    library->show();
    library->FinishIndexing();
    (void)QTest::qWaitForWindowExposed(library.get());

    const LibraryIndex index = LoadLibraryCache(cache);
    const LibrarySearch search(index);
    std::vector<Keystroke> steps;
    std::vector<int> rows;
    for (const char* typed : kTyped) {
      const QString text = QString::fromLatin1(typed);
      for (qsizetype i = 0; i < text.size(); ++i) {
        steps.push_back({text.left(i), text.at(i)});
        const auto found = search.Find(text.left(i + 1).toStdString());
        rows.push_back(static_cast<int>(std::min<std::size_t>(found.size(), FixtureLibrary::kMaxResults)));
      }
    }
    std::vector<QString> titles;
    for (const LibraryEntry& e : index.Entries) titles.push_back(QString::fromStdString(e.Maker + " " + e.Model));
    KeystrokeFloor floor(library->size(), titles);
    floor.rowsAfter = rows;
    floor.move(library->frameGeometry().right() + 10, 0);
    floor.show();
    (void)QTest::qWaitForWindowExposed(&floor);

    // Each run is the next key: its text before it is set untimed, then the key typed.
    auto next = std::make_shared<std::size_t>(0);
    auto at = std::make_shared<std::size_t>(0);
    FixtureLibrary* dialog = library.get();
    Side action{[=] {
                  *at = (*next)++ % steps.size();
                  dialog->SearchBox->setText(steps[*at].before);
                },
                [=]() -> QWidget* {
                  QTest::keyClick(dialog->SearchBox, steps[*at].key.toLatin1());
                  return dialog;
                }};
    auto floorNext = std::make_shared<std::size_t>(0);
    Side plain{[&floor, steps, floorNext] {
                 floor.step = (*floorNext)++ % steps.size();
                 floor.box->setText(steps[floor.step].before);
               },
               [&floor, steps]() -> QWidget* {
                 QTest::keyClick(floor.box, steps[floor.step].key.toLatin1());
                 return &floor;
               }};
    std::fprintf(stderr, "  %s\n", qPrintable(name));
    const int runs = std::max<int>(options_.runs, static_cast<int>(steps.size()));
    Result result = Compare(name + QStringLiteral(" (") + QString::number(index.Entries.size()) +
                                QStringLiteral(")"),
                            action, plain, Paint::Settled, runs, options_.warmup);
    results_.settled.push_back(result);
    Note(QStringLiteral("%1: %2 keys typed (\"%3\" ...), over %4 entries, %5 runs; median %6, p90 %7; "
                        "target p90 under one frame (16.7 ms): %8")
             .arg(name)
             .arg(steps.size())
             .arg(QString::fromLatin1(kTyped[0]))
             .arg(index.Entries.size())
             .arg(runs)
             .arg(Ms(result.action.Median()), Ms(result.action.P90()))
             .arg(Verdict(result.action.P90() < kFrameMs)));
  }

  LibraryPlaces Places(const fs::path& cache) const {
    LibraryPlaces places;
    places.DefaultFolders = folders_;
    places.CacheFile = cache;
    return places;
  }

  const Options& options_;
  ActionResults& results_;
  ChannelNameSet names_;
  std::vector<fs::path> folders_;
  QTemporaryDir unpacked_;
  QTemporaryDir cacheDir_;
  fs::path corpus_;
};

}  // namespace

void RunLibrary(const Options& options, ActionResults& results) {
  LibraryBench bench(options, results);
  bench.Run();
}

}  // namespace brannoc::bench
