#pragma once

#include "engine/isam/sheet_cells.h"

#include <QByteArray>
#include <QString>

namespace veranth::engine::isam {

// An Office Open XML workbook: its sheets' cells and its named ranges. 3343 naming `path`
// and the fault for anything that is not such a workbook.
WorkbookContent readXlsxWorkbook(const QString& path, const QByteArray& bytes);

// An Excel 5.0-2003 (BIFF) workbook, read from the file at `path`. 3343 likewise.
WorkbookContent readXlsWorkbook(const QString& path);

// Whether a number format shows dates or times ("yyyy-mm-dd", "h:mm AM/PM", built-in 14-22).
bool isDateFormat(int builtInId, const QString& code);

}  // namespace veranth::engine::isam
