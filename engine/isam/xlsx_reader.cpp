#include "engine/isam/sheet_reading.h"

#include "engine/isam/isam_errors.h"
#include "engine/isam/zip_archive.h"

#include <QDateTime>
#include <QHash>
#include <QXmlStreamReader>

#include <cstdlib>

namespace veranth::engine::isam {

namespace {

constexpr double k1904Offset = 1462;

// Cells a sheet may make the reader hold: far more than its file has only when the file
// places a few cells at the far edges of the grid.
std::int64_t cellBudget(qsizetype xmlBytes) { return std::max<std::int64_t>(1 << 20, static_cast<std::int64_t>(xmlBytes) * 2); }

QString folderOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash + 1);
}

// A relationship target relative to the part that names it ("worksheets/sheet1.xml" from
// "xl/workbook.xml") or absolute ("/xl/worksheets/sheet1.xml").
QString resolvePart(const QString& base, const QString& target) {
    if (target.startsWith(QLatin1Char('/'))) return target.mid(1);
    QStringList parts = (folderOf(base) + target).split(QLatin1Char('/'));
    QStringList out;
    for (const QString& p : parts) {
        if (p == QLatin1String("..")) {
            if (!out.isEmpty()) out.removeLast();
        } else if (p != QLatin1String(".") && !p.isEmpty()) {
            out << p;
        }
    }
    return out.join(QLatin1Char('/'));
}

bool isHex(QChar c) { return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c.toLower() >= QLatin1Char('a') && c.toLower() <= QLatin1Char('f')); }

// Text in these files writes characters XML cannot hold (a carriage return, other controls)
// as "_xHHHH_", and an underscore that would start such a form as "_x005F_".
QString unescaped(const QString& s) {
    if (!s.contains(QLatin1String("_x"))) return s;
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('_') && i + 6 < s.size() && s[i + 1] == QLatin1Char('x') && s[i + 6] == QLatin1Char('_') &&
            isHex(s[i + 2]) && isHex(s[i + 3]) && isHex(s[i + 4]) && isHex(s[i + 5])) {
            out += QChar(static_cast<char16_t>(s.mid(i + 2, 4).toUShort(nullptr, 16)));
            i += 6;
        } else {
            out += s[i];
        }
    }
    return out;
}

class Reader {
public:
    Reader(const QString& path, const QByteArray& bytes) : path_(path), zip_(path, bytes) {}

    WorkbookContent read() {
        const QString workbook = officeDocument();
        const QHash<QString, QString> targets = relationships(workbook);
        readStyles(targets);
        readSharedStrings(targets);
        struct SheetRef {
            QString name, part;
        };
        std::vector<SheetRef> sheets;
        std::vector<std::pair<QString, QString>> names;  // name, reference
        QXmlStreamReader xml(part(workbook, true));
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) continue;
            const auto n = xml.name();
            if (n == QLatin1String("workbookPr")) {
                const auto v = xml.attributes().value(QLatin1String("date1904"));
                date1904_ = v == QLatin1String("1") || v == QLatin1String("true");
            } else if (n == QLatin1String("sheet")) {
                const auto a = xml.attributes();
                QString id;
                for (const auto& attr : a)
                    if (attr.name() == QLatin1String("id")) id = attr.value().toString();
                const QString target = targets.value(id);
                if (target.isEmpty()) fail(QStringLiteral("the sheet '%1' names no part").arg(a.value(QLatin1String("name"))));
                sheets.push_back({a.value(QLatin1String("name")).toString(), target});
            } else if (n == QLatin1String("definedName")) {
                const auto a = xml.attributes();
                const QString name = a.value(QLatin1String("name")).toString();
                const bool hidden = a.value(QLatin1String("hidden")) == QLatin1String("1");
                const QString reference = xml.readElementText();
                if (!hidden && !name.startsWith(QLatin1String("_xlnm."))) names.emplace_back(name, reference);
            }
        }
        checkXml(xml, workbook);
        WorkbookContent content;
        for (const auto& s : sheets) content.sheets.push_back(readSheet(s.name, s.part));
        for (const auto& [name, reference] : names)
            if (auto range = parseRange(name, reference)) content.ranges.push_back(*range);
        return content;
    }

private:
    [[noreturn]] void fail(const QString& fault) const { throw malformedFile(path_, fault); }

    void checkXml(const QXmlStreamReader& xml, const QString& name) const {
        if (xml.hasError()) fail(QStringLiteral("its part '%1' is not well-formed XML (%2)").arg(name, xml.errorString()));
    }

    QByteArray part(const QString& name, bool required) const {
        auto bytes = zip_.read(name);
        if (!bytes) {
            if (required) fail(QStringLiteral("it has no part '%1'").arg(name));
            return QByteArray();
        }
        return *bytes;
    }

    QString officeDocument() const {
        QXmlStreamReader xml(part(QStringLiteral("_rels/.rels"), false));
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Relationship") &&
                xml.attributes().value(QLatin1String("Type")).endsWith(QLatin1String("/officeDocument")))
                return resolvePart(QString(), xml.attributes().value(QLatin1String("Target")).toString());
        }
        if (zip_.contains(QStringLiteral("xl/workbook.xml"))) return QStringLiteral("xl/workbook.xml");
        fail(QStringLiteral("it holds no workbook part"));
    }

    QHash<QString, QString> relationships(const QString& of) const {
        QHash<QString, QString> out;
        const QString rels = folderOf(of) + QStringLiteral("_rels/") + of.mid(folderOf(of).size()) + QStringLiteral(".rels");
        const QByteArray bytes = part(rels, false);
        if (bytes.isEmpty()) return out;
        QXmlStreamReader xml(bytes);
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("Relationship")) {
                const auto a = xml.attributes();
                out.insert(a.value(QLatin1String("Id")).toString(), resolvePart(of, a.value(QLatin1String("Target")).toString()));
                typeOf_.insert(resolvePart(of, a.value(QLatin1String("Target")).toString()), a.value(QLatin1String("Type")).toString());
            }
        checkXml(xml, rels);
        return out;
    }

    QString partOfType(const QHash<QString, QString>& targets, const char* type, const char* fallback) const {
        for (const QString& target : targets)
            if (typeOf_.value(target).endsWith(QLatin1String(type))) return target;
        return QString::fromLatin1(fallback);
    }

    void readStyles(const QHash<QString, QString>& targets) {
        const QString name = partOfType(targets, "/styles", "xl/styles.xml");
        const QByteArray bytes = part(name, false);
        if (bytes.isEmpty()) return;
        QXmlStreamReader xml(bytes);
        QHash<int, QString> custom;
        bool inCellXfs = false;
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("cellXfs")) inCellXfs = false;
            if (token != QXmlStreamReader::StartElement) continue;
            const auto a = xml.attributes();
            if (xml.name() == QLatin1String("numFmt")) {
                custom.insert(a.value(QLatin1String("numFmtId")).toInt(), a.value(QLatin1String("formatCode")).toString());
            } else if (xml.name() == QLatin1String("cellXfs")) {
                inCellXfs = true;
            } else if (inCellXfs && xml.name() == QLatin1String("xf")) {
                const int id = a.value(QLatin1String("numFmtId")).toInt();
                dateStyles_.push_back(isDateFormat(id, custom.value(id)));
            }
        }
        checkXml(xml, name);
    }

    void readSharedStrings(const QHash<QString, QString>& targets) {
        const QString name = partOfType(targets, "/sharedStrings", "xl/sharedStrings.xml");
        const QByteArray bytes = part(name, false);
        if (bytes.isEmpty()) return;
        QXmlStreamReader xml(bytes);
        QString current;
        int phonetic = 0;
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::StartElement) {
                if (xml.name() == QLatin1String("si")) current.clear();
                else if (xml.name() == QLatin1String("rPh")) ++phonetic;
                else if (xml.name() == QLatin1String("t") && phonetic == 0) current += xml.readElementText();
            } else if (token == QXmlStreamReader::EndElement) {
                if (xml.name() == QLatin1String("si")) strings_ << unescaped(current);
                else if (xml.name() == QLatin1String("rPh")) --phonetic;
            }
        }
        checkXml(xml, name);
    }

    double number(const QString& text, const QString& sheet, const QString& cell) const {
        bool ok = false;
        const double d = text.trimmed().toDouble(&ok);
        if (!ok) fail(QStringLiteral("the cell %1 of the sheet '%2' holds '%3', which is no number").arg(cell, sheet, text.left(40)));
        return d;
    }

    SheetGrid readSheet(const QString& sheetName, const QString& partName) {
        SheetGrid grid;
        grid.name = sheetName;
        const QByteArray bytes = part(partName, true);
        const std::int64_t budget = cellBudget(bytes.size());
        std::int64_t held = 0;
        QXmlStreamReader xml(bytes);
        int row = -1, column = -1;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) continue;
            if (xml.name() == QLatin1String("row")) {
                const auto r = xml.attributes().value(QLatin1String("r"));
                if (r.isEmpty()) ++row;
                else {
                    bool ok = false;
                    const int given = r.toInt(&ok);
                    if (!ok || given < 1 || given > 1048576) fail(QStringLiteral("the sheet '%1' has a row numbered '%2'").arg(sheetName, r));
                    row = given - 1;
                }
                column = -1;
                continue;
            }
            if (xml.name() != QLatin1String("c")) continue;
            const auto a = xml.attributes();
            const QString reference = a.value(QLatin1String("r")).toString();
            if (reference.isEmpty()) {
                ++column;
                if (row < 0) row = 0;
            } else {
                int r = 0;
                if (!parseCellReference(reference, r, column)) fail(QStringLiteral("the sheet '%1' has a cell named '%2'").arg(sheetName, reference.left(20)));
                row = r;
            }
            if (column >= 16384) fail(QStringLiteral("the sheet '%1' has a cell beyond its last column").arg(sheetName));
            const QString type = a.value(QLatin1String("t")).toString();
            const int style = a.value(QLatin1String("s")).toInt();
            QString valueText, formula, inlineText;
            bool hasValue = false;
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("v")) {
                    valueText = xml.readElementText();
                    hasValue = true;
                } else if (xml.name() == QLatin1String("f")) {
                    formula = xml.readElementText();
                } else if (xml.name() == QLatin1String("is")) {
                    while (xml.readNextStartElement()) {
                        if (xml.name() == QLatin1String("t")) inlineText += xml.readElementText();
                        else if (xml.name() == QLatin1String("r")) {
                            while (xml.readNextStartElement()) {
                                if (xml.name() == QLatin1String("t")) inlineText += xml.readElementText();
                                else xml.skipCurrentElement();
                            }
                        } else xml.skipCurrentElement();
                    }
                    hasValue = true;
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (xml.hasError()) break;
            Value v;
            const QString cell = reference.isEmpty() ? QStringLiteral("at row %1").arg(row + 1) : reference;
            if (type == QLatin1String("s")) {
                bool ok = false;
                const int index = valueText.trimmed().toInt(&ok);
                if (!hasValue) continue;
                if (!ok || index < 0 || index >= strings_.size())
                    fail(QStringLiteral("the cell %1 of the sheet '%2' names shared string %3, which it does not have").arg(cell, sheetName, valueText.left(20)));
                v = Value(strings_[index]);
            } else if (type == QLatin1String("inlineStr")) {
                v = Value(unescaped(inlineText));
            } else if (type == QLatin1String("str")) {
                if (!hasValue) continue;
                v = Value(unescaped(valueText));
            } else if (type == QLatin1String("b")) {
                if (!hasValue) continue;
                v = Value::boolean(valueText.trimmed() == QLatin1String("1") || valueText.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0);
            } else if (type == QLatin1String("e")) {
                continue;  // an error such as #DIV/0! holds no value
            } else if (type == QLatin1String("d")) {
                const QDateTime when = QDateTime::fromString(valueText.trimmed(), Qt::ISODateWithMs);
                if (!when.isValid()) fail(QStringLiteral("the cell %1 of the sheet '%2' holds '%3', which is no date").arg(cell, sheetName, valueText.left(40)));
                const QDateTime origin(QDate(1899, 12, 30), QTime(0, 0), when.timeSpec());
                v = Value::date(static_cast<double>(origin.msecsTo(when)) / 86400000.0);
            } else {
                if (!hasValue) continue;
                // A formula that is only a number holds that number exactly.
                const QByteArray f = formula.trimmed().toLatin1();
                char* end = nullptr;
                const double exact = f.isEmpty() ? 0 : std::strtod(f.constData(), &end);
                const double d = !f.isEmpty() && end == f.constData() + f.size() ? exact : number(valueText, sheetName, cell);
                const bool isDate = style >= 0 && style < static_cast<int>(dateStyles_.size()) && dateStyles_[static_cast<size_t>(style)];
                v = isDate ? Value::date(date1904_ ? d + k1904Offset : d) : Value::doubleValue(d);
            }
            if (static_cast<int>(grid.rows.size()) <= row) grid.rows.resize(static_cast<size_t>(row) + 1);
            auto& cells = grid.rows[static_cast<size_t>(row)];
            if (static_cast<int>(cells.size()) <= column) {
                held += column + 1 - static_cast<std::int64_t>(cells.size());
                if (held > budget) fail(QStringLiteral("the sheet '%1' spreads its cells over more of the grid than can be read").arg(sheetName));
                cells.resize(static_cast<size_t>(column) + 1, Value::null());
            }
            cells[static_cast<size_t>(column)] = std::move(v);
        }
        checkXml(xml, partName);
        return grid;
    }

    std::optional<NamedRange> parseRange(const QString& name, QString reference) const {
        reference = reference.trimmed();
        if (reference.startsWith(QLatin1Char('='))) reference.remove(0, 1);
        const qsizetype bang = reference.lastIndexOf(QLatin1Char('!'));
        if (bang <= 0) return std::nullopt;
        QString sheet = reference.left(bang);
        if (sheet.size() >= 2 && sheet.startsWith(QLatin1Char('\'')) && sheet.endsWith(QLatin1Char('\'')))
            sheet = sheet.mid(1, sheet.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'"));
        const QStringList corners = reference.mid(bang + 1).split(QLatin1Char(':'));
        if (corners.size() > 2) return std::nullopt;
        NamedRange range;
        range.name = name;
        range.sheet = sheet;
        if (!parseCellReference(corners[0], range.firstRow, range.firstColumn)) return std::nullopt;
        range.lastRow = range.firstRow;
        range.lastColumn = range.firstColumn;
        if (corners.size() == 2 && !parseCellReference(corners[1], range.lastRow, range.lastColumn)) return std::nullopt;
        if (range.lastRow < range.firstRow) std::swap(range.lastRow, range.firstRow);
        if (range.lastColumn < range.firstColumn) std::swap(range.lastColumn, range.firstColumn);
        return range;
    }

    QString path_;
    ZipArchive zip_;
    mutable QHash<QString, QString> typeOf_;
    std::vector<bool> dateStyles_;
    QStringList strings_;
    bool date1904_ = false;
};

}  // namespace

bool isDateFormat(int id, const QString& code) {
    if ((id >= 14 && id <= 22) || (id >= 45 && id <= 47)) return true;
    if (id < 164 && code.isEmpty()) return false;
    bool quoted = false, bracket = false, escaped = false;
    for (QChar c : code) {
        if (escaped) {
            escaped = false;
            continue;
        }
        if (c == QLatin1Char('\\')) escaped = true;
        else if (c == QLatin1Char('"')) quoted = !quoted;
        else if (quoted) continue;
        else if (c == QLatin1Char('[')) bracket = true;
        else if (c == QLatin1Char(']')) bracket = false;
        else if (bracket) continue;
        else if (c == QLatin1Char(';')) break;  // the format of positive numbers decides
        else if (QStringLiteral("dmyhsDMYHS").contains(c)) return true;
    }
    return false;
}

WorkbookContent readXlsxWorkbook(const QString& path, const QByteArray& bytes) { return Reader(path, bytes).read(); }

}  // namespace veranth::engine::isam
