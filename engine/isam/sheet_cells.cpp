#include "engine/isam/sheet_cells.h"

#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/isam/isam_errors.h"

#include <QFileInfo>

#include <cmath>

namespace veranth::engine::isam {

namespace {

// A double holds every integer up to 2^53 exactly; Currency beyond that would come back changed.
constexpr std::int64_t kExactInDouble = std::int64_t{1} << 53;

EngineError refusedDesign(const QString& path, const QString& why) {
    return EngineError(err::kNotSupported, QStringLiteral("'%1' cannot hold %2.").arg(QFileInfo(path).fileName(), why));
}

}  // namespace

const SheetLimits& xlsLimits() {
    // Dates from 1 March 1900 on: before it the two calendars of spreadsheets disagree.
    // Longer texts span more than two records of the string table, an empty text is a string,
    // and dates from 1 March 2100 on are days, that the .xls reader this engine uses does not
    // read back as they were.
    static const SheetLimits limits{QStringLiteral("Excel 5.0 (.xls)"), 65536, 256, 32767, 16384, false, true, 61, 73110};
    return limits;
}

const SheetLimits& xlsxLimits() {
    static const SheetLimits limits{QStringLiteral("Excel (.xlsx)"), 1048576, 16384, 32767, 0, true, false, 61, 2958466};
    return limits;
}

void requireSheetDesign(const QString& path, const TableInfo& design, const SheetLimits& limits) {
    const QString& name = design.name;
    if (name.isEmpty() || name.size() > 31)
        throw refusedDesign(path, QStringLiteral("a sheet named '%1': a sheet name has 1 to 31 characters").arg(name));
    for (QChar c : name)
        if (QStringLiteral("[]:*?/\\").contains(c))
            throw refusedDesign(path, QStringLiteral("a sheet named '%1': a sheet name cannot hold '%2'").arg(name, QString(c)));
    if (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
        throw refusedDesign(path, QStringLiteral("a sheet named '%1': a sheet name cannot begin or end with a quote").arg(name));
    if (static_cast<int>(design.fields.size()) > limits.columns)
        throw refusedDesign(path, QStringLiteral("%1 fields in one sheet: the %2 format has %3 columns")
                                      .arg(design.fields.size()).arg(limits.format).arg(limits.columns));
    for (const auto& f : design.fields) {
        if (f.type == FieldType::Binary || f.type == FieldType::LongBinary)
            throw refusedDesign(path, QStringLiteral("the binary field '%1': a spreadsheet cell holds no binary data").arg(f.name));
        if (f.name.size() > limits.textLength) throw refusedDesign(path, QStringLiteral("a field name that long"));
    }
}

SheetCell sheetCellFor(const QString& path, const FieldInfo& field, const Value& given, const SheetLimits& limits) {
    SheetCell cell;
    if (given.isMissing()) return cell;
    const Value v = coerceForField(given, field.type, field.name);
    auto number = [&](double d, SheetStyle style) {
        if (!std::isfinite(d)) throw valueDoesNotFit(path, field.name, QStringLiteral("a spreadsheet cell holds no infinite or undefined number"));
        cell.kind = SheetCell::Kind::Number;
        cell.number = d;
        cell.style = style;
    };
    switch (field.type) {
    case FieldType::Boolean:
        cell.kind = SheetCell::Kind::Boolean;
        cell.flag = v.rawBool();
        break;
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long: number(static_cast<double>(v.rawInteger()), SheetStyle::Whole); break;
    case FieldType::Currency: {
        const std::int64_t scaled = v.rawCurrency().scaled;
        if (scaled > kExactInDouble || scaled < -kExactInDouble)
            throw valueDoesNotFit(path, field.name,
                                  QStringLiteral("%1 has more digits than a spreadsheet number keeps").arg(currencyToText(v.rawCurrency())));
        number(static_cast<double>(scaled) / 10000.0, SheetStyle::Money);
        break;
    }
    case FieldType::Single:
    case FieldType::Double: number(v.rawDouble(), SheetStyle::General); break;
    case FieldType::Date: {
        const double serial = v.rawDouble();
        if (serial < limits.firstDate)
            throw valueDoesNotFit(path, field.name,
                                  QStringLiteral("the date %1 is earlier than a %2 file shows as a date (1 March 1900)")
                                      .arg(dateToText(serial), limits.format));
        if (serial >= limits.endOfDates)
            throw valueDoesNotFit(path, field.name, QStringLiteral("the date %1 is later than a %2 file keeps").arg(dateToText(serial), limits.format));
        if (limits.wholeSeconds) {
            const double seconds = serial * 86400.0;
            if (std::fabs(seconds - std::round(seconds)) > 1e-4)
                throw valueDoesNotFit(path, field.name,
                                      QStringLiteral("the date %1 has a fraction of a second, which a %2 file does not keep")
                                          .arg(dateToText(serial), limits.format));
        }
        number(serial, SheetStyle::Stamp);
        break;
    }
    case FieldType::Text:
    case FieldType::Memo: {
        const QString& text = v.rawString();
        if (text.size() > limits.textLength)
            throw valueDoesNotFit(path, field.name, QStringLiteral("a text of %1 characters is longer than a %2 cell holds (%3)")
                                                        .arg(text.size()).arg(limits.format).arg(limits.textLength));
        if (text.isEmpty() && !limits.keepsEmptyText)
            throw valueDoesNotFit(path, field.name, QStringLiteral("a %1 file keeps no empty texts (a .xlsx workbook does)").arg(limits.format));
        if (limits.textBytes > 0) {
            bool wide = false;
            for (QChar ch : text) wide = wide || ch.unicode() > 0xFF;
            if (text.size() * (wide ? 2 : 1) > limits.textBytes)
                throw valueDoesNotFit(path, field.name, QStringLiteral("a text of %1 characters is longer than a %2 cell keeps (%3 characters, "
                                                                       "or %4 with characters beyond Latin-1)")
                                                            .arg(text.size()).arg(limits.format).arg(limits.textBytes).arg(limits.textBytes / 2));
        }
        cell.kind = SheetCell::Kind::Text;
        cell.text = text;
        break;
    }
    case FieldType::Binary:
    case FieldType::LongBinary:
        throw valueDoesNotFit(path, field.name, QStringLiteral("a spreadsheet cell holds no binary data"));
    }
    return cell;
}

bool parseCellReference(const QString& text, int& row, int& column) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    if (i < n && text[i] == QLatin1Char('$')) ++i;
    std::int64_t c = 0;
    int letters = 0;
    for (; i < n && text[i].isLetter() && text[i].unicode() < 128; ++i, ++letters) {
        c = c * 26 + (text[i].toUpper().unicode() - 'A' + 1);
        if (letters > 3) return false;
    }
    if (letters == 0) return false;
    if (i < n && text[i] == QLatin1Char('$')) ++i;
    std::int64_t r = 0;
    int digits = 0;
    for (; i < n && text[i].isDigit(); ++i, ++digits) {
        r = r * 10 + (text[i].unicode() - '0');
        if (digits > 7) return false;
    }
    if (digits == 0 || i != n || r < 1 || r > 1048576 || c > 16384) return false;
    row = static_cast<int>(r - 1);
    column = static_cast<int>(c - 1);
    return true;
}

}  // namespace veranth::engine::isam
