// "Print Channel Sheet...": the system's print dialog, then the channel sheet of
// the fixture in memory on the printer chosen (or in a PDF file).

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "windows/fixture_editor/editor_window.h"
#include "sheet/channel_sheet.h"

namespace brannoc {

void Pelorin::PrintSheet_Click() {
  CommitOpenEditor();
  QPrinter printer(QPrinter::HighResolution);
  SetUpSheetPages(printer, QLocale());
  const QString name = QString::fromStdString(Fixture().FixtureName.BoxTextTrimmed());
  printer.setDocName(name);
  if (QPrinterInfo::availablePrinterNames().isEmpty()) {
    // No printer is set up: the dialog starts at "Save as PDF", beside the fixture's file.
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString folder = FixturePath.isEmpty() ? QDir::homePath() : QFileInfo(FixturePath).absolutePath();
    printer.setOutputFileName(folder + QLatin1Char('/') + (name.isEmpty() ? QStringLiteral("Fixture") : name) +
                              QStringLiteral(".pdf"));
  }
  QPrintDialog dialog(&printer, this);
  dialog.setWindowTitle(QStringLiteral("Print Channel Sheet"));
  if (dialog.exec() != QDialog::Accepted) return;
  PrintChannelSheetOn(printer);
}

int Pelorin::PrintChannelSheetOn(QPagedPaintDevice& device) {
  const SheetHeader header{FixturePath.isEmpty() ? QString() : QFileInfo(FixturePath).fileName(),
                           QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)};
  const int pages = PrintChannelSheet(device, Fixture(), header);
  if (pages == 0) {
    app_.Dialogs->Ask(this, QStringLiteral("The channel sheet could not be printed."), QStringLiteral("Pelorin Fixture"),
                      ui::Buttons::Ok, ui::Icon::Warning);
  }
  return pages;
}

}  // namespace brannoc
