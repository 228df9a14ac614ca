#include "engine/isam/text_layout.h"

#include "engine/isam/folder_files.h"
#include "engine/isam/isam_errors.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace veranth::engine::isam {

namespace {

const QString kSchemaIni = QStringLiteral("schema.ini");

struct IniLines {
    QString path;
    QStringList lines;
};

IniLines readIni(const QString& folder) {
    IniLines ini;
    ini.path = findFile(folder, QStringLiteral("schema"), QStringLiteral("ini"));
    if (ini.path.isEmpty()) {
        ini.path = QDir(folder).filePath(kSchemaIni);
        return ini;
    }
    QFile f(ini.path);
    if (!f.open(QIODevice::ReadOnly)) throw malformedFile(ini.path, f.errorString());
    QByteArray bytes = f.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter)) text = CodePage::windows1252().decode(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    ini.lines = text.split(QLatin1Char('\n'));
    while (!ini.lines.isEmpty() && ini.lines.last().trimmed().isEmpty()) ini.lines.removeLast();
    return ini;
}

void writeIni(const IniLines& ini) {
    const QString text = ini.lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    QByteArray bytes;
    if (!CodePage::windows1252().encode(text, bytes)) bytes = text.toUtf8();
    writeFileAtomically(ini.path, bytes);
}

std::optional<QString> sectionName(const QString& line) {
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) return t.mid(1, t.size() - 2).trimmed();
    return std::nullopt;
}

// The lines [first, last) of a section (its header included), or nullopt.
std::optional<std::pair<int, int>> sectionRange(const QStringList& lines, const QString& fileName) {
    for (int i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i]);
        if (!name || name->compare(fileName, Qt::CaseInsensitive) != 0) continue;
        int end = i + 1;
        while (end < lines.size() && !sectionName(lines[end])) ++end;
        return std::make_pair(i, end);
    }
    return std::nullopt;
}

bool isTrue(const QString& v) {
    const QString t = v.trimmed().toUpper();
    return t == QLatin1String("TRUE") || t == QLatin1String("YES") || t == QLatin1String("1") || t == QLatin1String("-1");
}

TextColumn parseColumn(const QString& value, const QString& path, int lineNumber) {
    static const QRegularExpression column(
        QStringLiteral("^\\s*(?:\"([^\"]+)\"|(\\S+))\\s+(\\w+)(?:\\s+Width\\s+(\\d+))?\\s*$"), QRegularExpression::CaseInsensitiveOption);
    const auto match = column.match(value);
    if (!match.hasMatch())
        throw malformedFile(path, QStringLiteral("line %1 does not describe a column ('%2')").arg(lineNumber).arg(value.trimmed()));
    TextColumn c;
    c.name = match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
    const auto type = textTypeOfName(match.captured(3));
    if (!type) throw malformedFile(path, QStringLiteral("line %1 names the unknown type '%2'").arg(lineNumber).arg(match.captured(3)));
    c.type = *type;
    c.width = match.captured(4).toInt();
    return c;
}

}  // namespace

std::optional<FieldType> textTypeOfName(const QString& given) {
    const QString n = given.trimmed().toUpper();
    if (n == QLatin1String("BIT") || n == QLatin1String("BOOLEAN")) return FieldType::Boolean;
    if (n == QLatin1String("BYTE")) return FieldType::Byte;
    if (n == QLatin1String("SHORT") || n == QLatin1String("INTEGER")) return FieldType::Integer;
    if (n == QLatin1String("LONG")) return FieldType::Long;
    if (n == QLatin1String("CURRENCY")) return FieldType::Currency;
    if (n == QLatin1String("SINGLE")) return FieldType::Single;
    if (n == QLatin1String("DOUBLE") || n == QLatin1String("FLOAT")) return FieldType::Double;
    if (n == QLatin1String("DATETIME") || n == QLatin1String("DATE")) return FieldType::Date;
    if (n == QLatin1String("TEXT") || n == QLatin1String("CHAR")) return FieldType::Text;
    if (n == QLatin1String("MEMO") || n == QLatin1String("LONGCHAR")) return FieldType::Memo;
    if (n == QLatin1String("LONGBINARY") || n == QLatin1String("BINARY") || n == QLatin1String("OLE")) return FieldType::LongBinary;
    return std::nullopt;
}

QString textTypeName(FieldType type) {
    switch (type) {
    case FieldType::Boolean: return QStringLiteral("Bit");
    case FieldType::Byte: return QStringLiteral("Byte");
    case FieldType::Integer: return QStringLiteral("Short");
    case FieldType::Long: return QStringLiteral("Long");
    case FieldType::Currency: return QStringLiteral("Currency");
    case FieldType::Single: return QStringLiteral("Single");
    case FieldType::Double: return QStringLiteral("Double");
    case FieldType::Date: return QStringLiteral("DateTime");
    case FieldType::Text: return QStringLiteral("Text");
    case FieldType::Memo: return QStringLiteral("Memo");
    case FieldType::Binary:
    case FieldType::LongBinary: return QStringLiteral("LongBinary");
    }
    return QStringLiteral("Text");
}

std::optional<TextLayoutDescription> readSchemaIni(const QString& folder, const QString& fileName) {
    const IniLines ini = readIni(folder);
    const auto range = sectionRange(ini.lines, fileName);
    if (!range) return std::nullopt;
    TextLayoutDescription layout;
    std::vector<std::pair<int, TextColumn>> numbered;
    for (int i = range->first + 1; i < range->second; ++i) {
        const QString line = ini.lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) throw malformedFile(ini.path, QStringLiteral("line %1 is not 'key=value' ('%2')").arg(i + 1).arg(line));
        const QString key = line.left(eq).trimmed().toUpper();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("FORMAT")) {
            const QString f = value.toUpper();
            if (f == QLatin1String("CSVDELIMITED")) layout.delimiter = ',';
            else if (f == QLatin1String("TABDELIMITED")) layout.delimiter = '\t';
            else if (f == QLatin1String("FIXEDLENGTH")) layout.fixedWidth = true;
            else if (f.startsWith(QLatin1String("DELIMITED(")) && f.endsWith(QLatin1Char(')')) && value.size() == 12 &&
                     value[10].unicode() < 0x80 && value[10] != QLatin1Char('"'))
                layout.delimiter = value[10].toLatin1();
            else throw malformedFile(ini.path, QStringLiteral("line %1 names the unknown format '%2'").arg(i + 1).arg(value));
        } else if (key == QLatin1String("COLNAMEHEADER")) {
            layout.header = isTrue(value);
        } else if (key == QLatin1String("CHARACTERSET")) {
            layout.codePage = CodePage::byName(value);
            if (!layout.codePage) throw malformedFile(ini.path, QStringLiteral("line %1 names the unknown character set '%2'").arg(i + 1).arg(value));
        } else if (key.startsWith(QLatin1String("COL")) && key.size() > 3) {
            bool ok = false;
            const int n = key.mid(3).toInt(&ok);
            if (ok && n > 0) numbered.emplace_back(n, parseColumn(value, ini.path, i + 1));
        }
    }
    std::sort(numbered.begin(), numbered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < numbered.size(); ++i) {
        if (numbered[i].first != static_cast<int>(i) + 1)
            throw malformedFile(ini.path, QStringLiteral("the columns of [%1] are not numbered Col1, Col2, ... in turn").arg(fileName));
        layout.columns.push_back(numbered[i].second);
    }
    if (layout.fixedWidth)
        for (const auto& c : layout.columns)
            if (c.width <= 0)
                throw malformedFile(ini.path, QStringLiteral("the fixed-length column '%1' of [%2] has no width").arg(c.name, fileName));
    return layout;
}

void writeSchemaIni(const QString& folder, const QString& fileName, const TextLayoutDescription& layout) {
    IniLines ini = readIni(folder);
    QStringList section{QLatin1Char('[') + fileName + QLatin1Char(']')};
    QString format = QStringLiteral("CSVDelimited");
    if (layout.fixedWidth) format = QStringLiteral("FixedLength");
    else if (layout.delimiter == '\t') format = QStringLiteral("TabDelimited");
    else if (layout.delimiter != ',') format = QStringLiteral("Delimited(%1)").arg(QLatin1Char(layout.delimiter));
    section << QStringLiteral("Format=") + format;
    section << QStringLiteral("ColNameHeader=") + (layout.header ? QStringLiteral("True") : QStringLiteral("False"));
    const CodePage page = layout.codePage.value_or(CodePage::windows1252());
    section << QStringLiteral("CharacterSet=") + (page.number() == 1252 ? QStringLiteral("ANSI") : page.name());
    for (size_t i = 0; i < layout.columns.size(); ++i) {
        const TextColumn& c = layout.columns[i];
        const QString name = c.name.contains(QLatin1Char(' ')) ? QLatin1Char('"') + c.name + QLatin1Char('"') : c.name;
        QString line = QStringLiteral("Col%1=%2 %3").arg(i + 1).arg(name, textTypeName(c.type));
        if (c.width > 0 && (c.type == FieldType::Text || layout.fixedWidth)) line += QStringLiteral(" Width %1").arg(c.width);
        section << line;
    }
    if (const auto range = sectionRange(ini.lines, fileName)) {
        ini.lines.erase(ini.lines.begin() + range->first, ini.lines.begin() + range->second);
        for (int i = 0; i < section.size(); ++i) ini.lines.insert(range->first + i, section[i]);
    } else {
        ini.lines << section;
    }
    writeIni(ini);
}

void removeSchemaIniSection(const QString& folder, const QString& fileName) {
    IniLines ini = readIni(folder);
    const auto range = sectionRange(ini.lines, fileName);
    if (!range) return;
    ini.lines.erase(ini.lines.begin() + range->first, ini.lines.begin() + range->second);
    writeIni(ini);
}

void renameSchemaIniSection(const QString& folder, const QString& from, const QString& to) {
    IniLines ini = readIni(folder);
    if (from.compare(to, Qt::CaseInsensitive) != 0)
        if (const auto old = sectionRange(ini.lines, to)) ini.lines.erase(ini.lines.begin() + old->first, ini.lines.begin() + old->second);
    const auto range = sectionRange(ini.lines, from);
    if (!range) return;
    ini.lines[range->first] = QLatin1Char('[') + to + QLatin1Char(']');
    writeIni(ini);
}

}  // namespace veranth::engine::isam
