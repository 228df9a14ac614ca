#pragma once

#include "engine/schema.h"
#include "engine/value.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace veranth::engine::isam {

// One sheet as a writer takes it: the first row holds the field names, then one row per
// record, each value stored as its field's type says.
struct SheetToWrite {
    QString name;
    std::vector<FieldInfo> fields;
    std::vector<const std::vector<Value>*> rows;
};

// The bytes of an Excel 97 (BIFF8) workbook in its compound-document container. `path` is
// named in the errors: 3163 for a value the format cannot hold, 3251 for a design.
QByteArray xlsWorkbookBytes(const QString& path, const std::vector<SheetToWrite>& sheets);

// Writes an Office Open XML workbook to `path` (which it creates or replaces).
void writeXlsxWorkbook(const QString& path, const QString& namedAs, const std::vector<SheetToWrite>& sheets);

}  // namespace veranth::engine::isam
