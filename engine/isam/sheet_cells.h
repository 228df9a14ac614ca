#pragma once

#include "engine/schema.h"
#include "engine/value.h"

#include <QString>

#include <vector>

// What the spreadsheet readers give and the writers take: a sheet as rows of cells, each
// cell a Value (Null, Double, Boolean, Date or String), and the cell a writer stores for an
// engine value, checked against what the file format can hold.
namespace veranth::engine::isam {

struct SheetGrid {
    QString name;
    std::vector<std::vector<Value>> rows;  // ragged: a row ends at its last cell
};

struct NamedRange {
    QString name;
    QString sheet;
    int firstRow = 0, firstColumn = 0, lastRow = 0, lastColumn = 0;  // inclusive, 0-based
};

struct WorkbookContent {
    std::vector<SheetGrid> sheets;
    std::vector<NamedRange> ranges;
};

// How a number cell is shown, so other programs show a date as a date and money as money.
enum class SheetStyle { General, Whole, Money, Stamp };

struct SheetCell {
    enum class Kind { Empty, Number, Text, Boolean };
    Kind kind = Kind::Empty;
    double number = 0;
    QString text;
    bool flag = false;
    SheetStyle style = SheetStyle::General;
};

// What one file format can hold.
struct SheetLimits {
    QString format;       // "Excel 5.0 (.xls)": used in messages
    int rows = 0;         // with the row of field names
    int columns = 0;
    int textLength = 0;   // characters in one cell
    int textBytes = 0;    // bytes of one cell's text as stored (1 a character, 2 beyond Latin-1); 0: no such limit
    bool keepsEmptyText = true;
    bool wholeSeconds = false;  // dates are read back to the second only
    double firstDate = 0;       // the earliest date serial the format's readers show as a date
    double endOfDates = 0;      // the first date serial past the dates they read back
};

const SheetLimits& xlsLimits();
const SheetLimits& xlsxLimits();

// 3251 for a sheet name or a design the format cannot hold (binary fields, too many fields).
void requireSheetDesign(const QString& path, const TableInfo& design, const SheetLimits& limits);
// The cell for a value of a field; 3163 when the format cannot hold it as it is.
SheetCell sheetCellFor(const QString& path, const FieldInfo& field, const Value& value, const SheetLimits& limits);

// "A1" -> (0, 0); "$AB$12" -> (11, 27); false for anything else.
bool parseCellReference(const QString& text, int& row, int& column);

}  // namespace veranth::engine::isam
