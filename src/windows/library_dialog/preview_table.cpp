#include "windows/library_dialog/preview_table.h"

namespace brannoc {

QStringList PreviewHeaders() {
  return {QStringLiteral("No."),  QStringLiteral("Definition name"), QStringLiteral("Console name"),
          QStringLiteral("Code"), QStringLiteral("Type"),            QStringLiteral("Partner"),
          QStringLiteral("Steps"), QStringLiteral("Note")};
}

std::vector<QStringList> PreviewCells(const ImportPreview& preview) {
  std::vector<QStringList> rows;
  for (const PreviewRow& row : preview.Rows) {
    rows.push_back({QString::number(row.Number), QString::fromStdString(row.DefinitionName),
                    QString::fromStdString(row.ConsoleName), row.Code ? QString::number(row.Code) : QString(),
                    QString::fromStdString(row.Type), row.Partner ? QString::number(row.Partner) : QString(),
                    QString::number(row.Steps), QString::fromStdString(row.Note)});
  }
  return rows;
}

}  // namespace brannoc
