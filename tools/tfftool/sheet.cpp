#include "tfftool/sheet.h"

#include <QBuffer>
#include <QDate>
#include <QGuiApplication>
#include <QPdfWriter>
#include <filesystem>
#include <memory>

#include "data/core/file_io.h"
#include "sheet/channel_sheet.h"
#include "tfftool/command.h"
#include "tfftool/files.h"

namespace brannoc::tfftool {

int RunSheet(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> files;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--help" || args[i] == "-h") {
      out << kSheetHelp;
      out.flush();
      return out ? kExitOk : Fail(err, "cannot write to the standard output");
    }
    if (args[i].starts_with("--")) return Fail(err, "unknown option " + args[i] + " for sheet; see tfftool sheet --help");
    files.push_back(args[i]);
  }
  if (files.size() != 2) {
    return Fail(err, "sheet takes 2 files, not " + std::to_string(files.size()) + "; see tfftool sheet --help");
  }
  const RecordFile file = ReadRecordFile(files[0], FileKind::Fixture);
  if (!file.error.empty()) return Fail(err, file.error);

  // No display is needed: the offscreen platform has the fonts and the PDF writer.
  std::unique_ptr<QGuiApplication> app;
  if (!QGuiApplication::instance()) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tfftool";
    static char* argv[] = {name, nullptr};
    app = std::make_unique<QGuiApplication>(argc, argv);
  }
  QByteArray pdf;
  {
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(300);
    writer.setCreator(QStringLiteral("Brannoc-512 tfftool"));
    writer.setTitle(QString::fromStdString(file.fixture->FixtureName.BoxTextTrimmed()));
    SetUpSheetPages(writer, QLocale());
    const SheetHeader header{QString::fromStdString(std::filesystem::path(files[0]).filename().string()),
                             QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)};
    if (PrintChannelSheet(writer, *file.fixture, header) == 0) return Fail(err, "the channel sheet could not be made");
  }
  const Bytes bytes(pdf.begin(), pdf.end());
  if (const auto error = ReplaceFile(files[1], bytes, false)) return Fail(err, error->message);
  return kExitOk;
}

}  // namespace brannoc::tfftool
