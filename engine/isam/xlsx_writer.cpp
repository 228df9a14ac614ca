#include "engine/isam/sheet_cells.h"
#include "engine/isam/sheet_writing.h"

#include "engine/errors.h"
#include "engine/isam/isam_errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace veranth::engine::isam {

namespace {

struct WorkbookCloser {
    void operator()(lxw_workbook* w) const {
        if (w) workbook_close(w);
    }
};

// The writer keeps 16 significant digits; a number that needs 17 to come back the same is
// also written as a formula of its exact digits, which readers take in its place.
bool needsExactDigits(double d, QByteArray& exact) {
    char shortText[40];
    std::snprintf(shortText, sizeof shortText, "%.16G", d);
    if (std::strtod(shortText, nullptr) == d) return false;
    char text[40];
    std::snprintf(text, sizeof text, "=%.17G", d);
    exact = text;
    return true;
}

bool isHex(QChar c) { return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')); }

// The writer stores control characters as "_xHHHH_" but leaves such a form already in the
// text as it is, which readers would then take for a character: its underscore is written
// as "_x005F_" so the text comes back as it was.
QByteArray cellText(const QString& text) {
    if (!text.contains(QLatin1String("_x"))) return text.toUtf8();
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('_') && i + 6 < text.size() && text[i + 1] == QLatin1Char('x') && text[i + 6] == QLatin1Char('_') &&
            isHex(text[i + 2]) && isHex(text[i + 3]) && isHex(text[i + 4]) && isHex(text[i + 5]))
            out += QStringLiteral("_x005F_");
        else
            out += text[i];
    }
    return out.toUtf8();
}

}  // namespace

void writeXlsxWorkbook(const QString& path, const QString& namedAs, const std::vector<SheetToWrite>& sheets) {
    const SheetLimits& limits = xlsxLimits();
    for (const auto& sheet : sheets) {
        TableInfo design;
        design.name = sheet.name;
        design.fields = sheet.fields;
        requireSheetDesign(namedAs, design, limits);
        if (static_cast<qsizetype>(sheet.rows.size()) + 1 > limits.rows)
            throw EngineError(err::kNotSupported, QStringLiteral("'%1' cannot hold %2 rows in the sheet '%3': a sheet has %4 rows.")
                                                      .arg(QFileInfo(namedAs).fileName())
                                                      .arg(sheet.rows.size())
                                                      .arg(sheet.name)
                                                      .arg(limits.rows));
    }
    const QByteArray file = QFile::encodeName(path);
    QByteArray temporaryFolder = QFile::encodeName(QFileInfo(path).absolutePath());
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = temporaryFolder.data();
    options.use_zip64 = LXW_TRUE;
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(workbook_new_opt(file.constData(), &options));
    if (!book) throw writeFailed(namedAs, QStringLiteral("the workbook could not be started"));
    lxw_format* whole = workbook_add_format(book.get());
    format_set_num_format(whole, "0");
    lxw_format* money = workbook_add_format(book.get());
    format_set_num_format(money, "#,##0.00##");
    lxw_format* stamp = workbook_add_format(book.get());
    format_set_num_format(stamp, "yyyy-mm-dd hh:mm:ss");

    auto check = [&](lxw_error e) {
        if (e != LXW_NO_ERROR) throw writeFailed(namedAs, QString::fromLatin1(lxw_strerror(e)));
    };
    for (const auto& sheet : sheets) {
        const QByteArray name = sheet.name.toUtf8();
        lxw_worksheet* ws = workbook_add_worksheet(book.get(), name.constData());
        if (!ws) throw EngineError(err::kNotSupported, QStringLiteral("'%1' cannot hold a sheet named '%2'.").arg(QFileInfo(namedAs).fileName(), sheet.name));
        for (size_t c = 0; c < sheet.fields.size(); ++c)
            check(worksheet_write_string(ws, 0, static_cast<lxw_col_t>(c), cellText(sheet.fields[c].name).constData(), nullptr));
        for (size_t r = 0; r < sheet.rows.size(); ++r) {
            const auto& row = *sheet.rows[r];
            const auto at = static_cast<lxw_row_t>(r + 1);
            for (size_t c = 0; c < sheet.fields.size(); ++c) {
                const SheetCell cell = sheetCellFor(namedAs, sheet.fields[c], c < row.size() ? row[c] : Value::null(), limits);
                const auto col = static_cast<lxw_col_t>(c);
                switch (cell.kind) {
                case SheetCell::Kind::Empty: break;
                case SheetCell::Kind::Text: check(worksheet_write_string(ws, at, col, cellText(cell.text).constData(), nullptr)); break;
                case SheetCell::Kind::Boolean: check(worksheet_write_boolean(ws, at, col, cell.flag ? 1 : 0, nullptr)); break;
                case SheetCell::Kind::Number: {
                    lxw_format* format = cell.style == SheetStyle::Whole   ? whole
                                         : cell.style == SheetStyle::Money ? money
                                         : cell.style == SheetStyle::Stamp ? stamp
                                                                           : nullptr;
                    QByteArray exact;
                    if (needsExactDigits(cell.number, exact))
                        check(worksheet_write_formula_num(ws, at, col, exact.constData(), format, cell.number));
                    else
                        check(worksheet_write_number(ws, at, col, cell.number, format));
                    break;
                }
                }
            }
        }
    }
    const lxw_error closed = workbook_close(book.release());
    if (closed != LXW_NO_ERROR) {
        QFile::remove(path);
        throw writeFailed(namedAs, QString::fromLatin1(lxw_strerror(closed)));
    }
}

}  // namespace veranth::engine::isam
