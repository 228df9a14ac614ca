#include "engine/isam/sheet_reading.h"

#include "engine/conversions.h"
#include "engine/isam/isam_errors.h"

#include <QFile>

#include <freexl.h>

namespace veranth::engine::isam {

namespace {

QString freexlFault(int code) {
    switch (code) {
    case FREEXL_FILE_NOT_FOUND: return QStringLiteral("the file cannot be opened");
    case FREEXL_INSUFFICIENT_MEMORY: return QStringLiteral("it needs more memory than there is");
    case FREEXL_INVALID_CFBF_HEADER:
    case FREEXL_CFBF_INVALID_SIGNATURE: return QStringLiteral("it is not an Excel workbook (its container header is wrong)");
    case FREEXL_CFBF_READ_ERROR:
    case FREEXL_CFBF_SEEK_ERROR: return QStringLiteral("it is cut short");
    case FREEXL_CFBF_INVALID_SECTOR_SIZE: return QStringLiteral("its container has an invalid sector size");
    case FREEXL_CFBF_EMPTY_FAT_CHAIN:
    case FREEXL_CFBF_ILLEGAL_FAT_ENTRY: return QStringLiteral("its container's sector table is damaged");
    case FREEXL_BIFF_INVALID_BOF: return QStringLiteral("its workbook stream does not begin as a workbook does");
    case FREEXL_BIFF_INVALID_SST:
    case FREEXL_BIFF_ILLEGAL_SST_INDEX: return QStringLiteral("its table of shared strings is damaged");
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND: return QStringLiteral("it holds no workbook stream");
    case FREEXL_INVALID_CHARACTER:
    case FREEXL_UNSUPPORTED_CHARSET: return QStringLiteral("it holds text in a character set that cannot be read");
    case FREEXL_ILLEGAL_RK_VALUE: return QStringLiteral("it holds a damaged number");
    case FREEXL_INVALID_MINI_STREAM:
    case FREEXL_CFBF_ILLEGAL_MINI_FAT_ENTRY: return QStringLiteral("its container's small-stream table is damaged");
    case FREEXL_CRAFTED_FILE: return QStringLiteral("it is severely damaged");
    default: return QStringLiteral("it cannot be read (fault %1)").arg(code);
    }
}

struct Handle {
    const void* h = nullptr;
    ~Handle() {
        if (h) freexl_close(h);
    }
};

// "YYYY-MM-DD", "YYYY-MM-DD HH:MM:SS" or "HH:MM:SS" as the library gives dates and times.
std::optional<double> serialOf(const char* text, unsigned char type) {
    int y = 1899, mo = 12, d = 30, h = 0, mi = 0, s = 0;
    int read = 0;
    if (type == FREEXL_CELL_DATE) read = std::sscanf(text, "%d-%d-%d", &y, &mo, &d) == 3;
    else if (type == FREEXL_CELL_DATETIME) read = std::sscanf(text, "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) == 6;
    else read = std::sscanf(text, "%d:%d:%d", &h, &mi, &s) == 3;
    if (!read || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59) return std::nullopt;
    return dateSerial(y, mo, d, h, mi, s);
}

}  // namespace

WorkbookContent readXlsWorkbook(const QString& path) {
    Handle handle;
    const QByteArray file = QFile::encodeName(path);
    if (const int rc = freexl_open(file.constData(), &handle.h); rc != FREEXL_OK) throw malformedFile(path, freexlFault(rc));
    // The library answers some damage with success and no workbook.
    if (!handle.h) throw malformedFile(path, QStringLiteral("its workbook stream is damaged"));
    unsigned int sheets = 0;
    if (freexl_get_info(handle.h, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK) throw malformedFile(path, QStringLiteral("its sheets cannot be listed"));
    unsigned int password = 0;
    if (freexl_get_info(handle.h, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK && password == FREEXL_BIFF_OBFUSCATED)
        throw malformedFile(path, QStringLiteral("it is protected by a password"));
    WorkbookContent content;
    for (unsigned int i = 0; i < sheets && i < 65536; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle.h, static_cast<unsigned short>(i), &name) != FREEXL_OK || !name)
            throw malformedFile(path, QStringLiteral("sheet %1 has no name").arg(i + 1));
        if (const int rc = freexl_select_active_worksheet(handle.h, static_cast<unsigned short>(i)); rc != FREEXL_OK)
            throw malformedFile(path, freexlFault(rc));
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (const int rc = freexl_worksheet_dimensions(handle.h, &rows, &columns); rc != FREEXL_OK) throw malformedFile(path, freexlFault(rc));
        SheetGrid grid;
        grid.name = QString::fromUtf8(name);
        for (unsigned int r = 0; r < rows; ++r) {
            std::vector<Value> cells;
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue cell;
                if (const int rc = freexl_get_cell_value(handle.h, r, c, &cell); rc != FREEXL_OK)
                    throw malformedFile(path, QStringLiteral("the cell at row %1, column %2 of the sheet '%3': %4")
                                                  .arg(r + 1).arg(c + 1).arg(grid.name, freexlFault(rc)));
                Value v;
                switch (cell.type) {
                case FREEXL_CELL_INT: v = Value::doubleValue(cell.value.int_value); break;
                case FREEXL_CELL_DOUBLE: v = Value::doubleValue(cell.value.double_value); break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT: v = Value(QString::fromUtf8(cell.value.text_value ? cell.value.text_value : "")); break;
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME: {
                    const auto serial = cell.value.text_value ? serialOf(cell.value.text_value, cell.type) : std::nullopt;
                    if (!serial)
                        throw malformedFile(path, QStringLiteral("the cell at row %1, column %2 of the sheet '%3' holds a date that is no date")
                                                      .arg(r + 1).arg(c + 1).arg(grid.name));
                    v = Value::date(*serial);
                    break;
                }
                default: continue;
                }
                if (cells.size() <= c) cells.resize(static_cast<size_t>(c) + 1, Value::null());
                cells[c] = std::move(v);
            }
            grid.rows.push_back(std::move(cells));
        }
        while (!grid.rows.empty() && grid.rows.back().empty()) grid.rows.pop_back();
        content.sheets.push_back(std::move(grid));
    }
    return content;
}

}  // namespace veranth::engine::isam
