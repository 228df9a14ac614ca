#include "engine/isam/text_table.h"

#include "engine/conversions.h"
#include "engine/isam/isam_errors.h"
#include "engine/isam/text_cell_codec.h"

#include <QFileInfo>
#include <QSet>

namespace veranth::engine::isam {

namespace {

constexpr qsizetype kPendingBytes = 1024 * 1024;
const QByteArray kUtf8Bom("\xEF\xBB\xBF");
const QByteArray kLineEnd("\r\n");

bool hasHighBytes(const QByteArray& b) {
    for (char c : b)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

// Without a byte order mark or a schema.ini character set, text that is valid UTF-8 and not
// plain ASCII is UTF-8; anything else is the single-byte default.
CodePage guessCodePage(const QByteArray& bytes, qsizetype start) {
    const QByteArray sample = bytes.mid(start, 1 << 20);
    if (!hasHighBytes(sample)) return CodePage::windows1252();
    const QString decoded = QString::fromUtf8(sample);
    // A character cut at the end of the sample is not a sign of another code page.
    const qsizetype bad = decoded.indexOf(QChar::ReplacementCharacter);
    if (bad < 0 || bad >= decoded.size() - 2) return CodePage::utf8();
    return CodePage::windows1252();
}

QString uniqueName(QString name, QSet<QString>& seen, int position) {
    if (name.trimmed().isEmpty()) name = QStringLiteral("F%1").arg(position);
    QString candidate = name;
    for (int n = 1; seen.contains(candidate.toUpper()); ++n) candidate = QStringLiteral("%1%2").arg(name).arg(n);
    seen.insert(candidate.toUpper());
    return candidate;
}

QString quoted(const QString& text) { return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"'); }

}  // namespace

std::shared_ptr<TextTable> TextTable::open(const QString& path, bool readOnly, const std::optional<TextLayoutDescription>& layout) {
    std::shared_ptr<TextTable> t(new TextTable());
    t->path_ = path;
    t->readOnly_ = readOnly || !QFileInfo(path).isWritable();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw EngineError(err::kFileNotFound, path);
    t->bytes_ = f.readAll();
    if (layout) t->layout_ = *layout;
    if (t->bytes_.startsWith(kUtf8Bom)) {
        t->bodyStart_ = kUtf8Bom.size();
        if (t->layout_.codePage && !t->layout_.codePage->isUtf8())
            throw malformedFile(path, QStringLiteral("it starts with a UTF-8 byte order mark but schema.ini names code page %1")
                                          .arg(t->layout_.codePage->name()));
        t->codePage_ = CodePage::utf8();
    } else {
        t->codePage_ = t->layout_.codePage.value_or(guessCodePage(t->bytes_, 0));
    }
    t->layout_.codePage = t->codePage_;
    t->describeColumns(layout);
    return t;
}

void TextTable::findRecords() {
    starts_.clear();
    qsizetype pos = bodyStart_;
    if (layout_.fixedWidth) {
        qsizetype start = 0, end = 0;
        while (nextLine(bytes_, pos, start, end)) starts_.push_back(start);
        return;
    }
    const DelimitedScanner scanner(bytes_, layout_.delimiter);
    qsizetype start = pos;
    std::vector<TextCell> cells;
    while (true) {
        while (start < bytes_.size() && (bytes_[start] == '\r' || bytes_[start] == '\n')) ++start;
        pos = start;
        if (!scanner.next(pos, cells, path_, static_cast<qsizetype>(starts_.size()) + 1)) break;
        starts_.push_back(start);
        start = pos;
    }
}

void TextTable::describeColumns(const std::optional<TextLayoutDescription>& given) {
    findRecords();
    std::vector<QString> headerNames;
    if (layout_.header && !starts_.empty()) {
        std::vector<bool> quotedCells;
        if (layout_.fixedWidth && !layout_.columns.empty()) {
            for (const auto& c : layout_.columns) headerNames.push_back(c.name);
        } else if (!layout_.fixedWidth) {
            widths_.clear();
            headerNames = cellTexts(0, &quotedCells);
        }
        starts_.erase(starts_.begin());
    }
    design_ = TableInfo();
    design_.name = QFileInfo(path_).completeBaseName();
    QSet<QString> seen;
    if (given && !given->columns.empty()) {
        for (const auto& c : given->columns) {
            FieldInfo f;
            f.name = uniqueName(c.name, seen, static_cast<int>(design_.fields.size()) + 1);
            f.type = c.type;
            f.size = c.type == FieldType::Text ? (c.width > 0 ? std::min(c.width, 255) : 255) : defaultFieldSize(c.type);
            f.allowZeroLength = true;
            design_.fields.push_back(f);
            widths_.push_back(c.width);
        }
    } else {
        if (layout_.fixedWidth) throw malformedFile(path_, QStringLiteral("a fixed-length file needs its columns in schema.ini"));
        size_t columns = headerNames.size();
        std::vector<TextTypeGuess> guesses(columns);
        for (std::int64_t r = 0; r < recordCount(); ++r) {
            const auto texts = cellTexts(r, nullptr);
            if (texts.size() > guesses.size()) guesses.resize(texts.size());
            for (size_t i = 0; i < texts.size(); ++i) guesses[i].see(texts[i]);
        }
        // Columns past the header that never hold a value come from trailing separators.
        while (guesses.size() > columns && !guesses.back().sawValue()) guesses.pop_back();
        columns = std::max(columns, guesses.size());
        for (size_t i = 0; i < columns; ++i) {
            FieldInfo f;
            f.name = uniqueName(i < headerNames.size() ? headerNames[i].trimmed() : QString(), seen, static_cast<int>(i) + 1);
            f.type = guesses[i].type();
            f.size = f.type == FieldType::Text ? guesses[i].textSize() : defaultFieldSize(f.type);
            f.allowZeroLength = true;
            design_.fields.push_back(f);
        }
        layout_.columns.clear();
        for (const auto& f : design_.fields) layout_.columns.push_back({f.name, f.type, f.type == FieldType::Text ? f.size : 0});
    }
    for (size_t i = 0; i < design_.fields.size(); ++i) design_.fields[i].ordinalPosition = static_cast<int>(i);
}

std::vector<QString> TextTable::cellTexts(std::int64_t record, std::vector<bool>* quotedCells) {
    std::vector<QString> texts;
    const qsizetype start = record < static_cast<std::int64_t>(starts_.size()) ? starts_[static_cast<size_t>(record)] : bodyStart_;
    if (layout_.fixedWidth) {
        qsizetype pos = start, lineStart = 0, lineEnd = 0;
        nextLine(bytes_, pos, lineStart, lineEnd);
        const QString line = codePage_.decode(bytes_.constData() + lineStart, lineEnd - lineStart);
        qsizetype offset = 0;
        for (int width : widths_) {
            texts.push_back(line.mid(offset, width).trimmed());
            offset += width;
        }
        if (quotedCells) quotedCells->assign(texts.size(), false);
        return texts;
    }
    const DelimitedScanner scanner(bytes_, layout_.delimiter);
    qsizetype pos = start;
    scanner.next(pos, cells_, path_, record + 1);
    for (const auto& cell : cells_) {
        const QByteArray raw = cellBytes(bytes_, cell);
        texts.push_back(codePage_.decode(raw));
    }
    if (quotedCells) {
        quotedCells->clear();
        for (const auto& cell : cells_) quotedCells->push_back(cell.quoted);
    }
    return texts;
}

void TextTable::read(std::int64_t record, std::vector<Value>& out) {
    if (record < 0 || record >= recordCount())
        throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("record %1 is outside '%2'").arg(record + 1).arg(path_));
    const auto& fields = design_.fields;
    if (!layout_.fixedWidth) return readDelimited(record, out);
    std::vector<bool> quotedCells;
    const auto texts = cellTexts(record, &quotedCells);
    for (size_t i = fields.size(); i < texts.size(); ++i)
        if (!texts[i].trimmed().isEmpty())
            throw malformedFile(path_, QStringLiteral("record %1 has %2 fields; the table has %3")
                                           .arg(record + 1 + (layout_.header ? 1 : 0)).arg(texts.size()).arg(fields.size()));
    out.resize(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i >= texts.size()) {
            out[i] = Value::null();
            continue;
        }
        const auto value = textToValue(texts[i], quotedCells[i], fields[i].type);
        if (!value)
            throw badStoredValue(path_, fields[i].name, record + (layout_.header ? 1 : 0),
                                 QStringLiteral("'%1' is not a %2 value").arg(texts[i].left(40), fieldTypeName(fields[i].type)));
        out[i] = *value;
    }
}

void TextTable::readDelimited(std::int64_t record, std::vector<Value>& out) {
    const auto& fields = design_.fields;
    const DelimitedScanner scanner(bytes_, layout_.delimiter);
    qsizetype pos = starts_[static_cast<size_t>(record)];
    scanner.next(pos, cells_, path_, record + 1);
    const std::int64_t shown = record + 1 + (layout_.header ? 1 : 0);
    for (size_t i = fields.size(); i < cells_.size(); ++i)
        for (qsizetype b = 0; b < cells_[i].length; ++b)
            if (bytes_[cells_[i].start + b] != ' ')
                throw malformedFile(path_, QStringLiteral("record %1 has %2 fields; the table has %3").arg(shown).arg(cells_.size()).arg(fields.size()));
    out.resize(fields.size());
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i >= cells_.size()) {
            out[i] = Value::null();
            continue;
        }
        const TextCell& cell = cells_[i];
        const FieldType type = fields[i].type;
        if (!isTextual(type) && cell.length > 0 && !cell.escapedQuotes) {
            if (auto fast = fastTextToValue(bytes_.constData() + cell.start, cell.length, type)) {
                out[i] = std::move(*fast);
                continue;
            }
        }
        const QString text = codePage_.decode(cell.escapedQuotes ? cellBytes(bytes_, cell) : bytes_.mid(cell.start, cell.length));
        auto value = textToValue(text, cell.quoted, type);
        if (!value)
            throw badStoredValue(path_, fields[i].name, shown - 1,
                                 QStringLiteral("'%1' is not a %2 value").arg(text.left(40), fieldTypeName(type)));
        out[i] = std::move(*value);
    }
}

QByteArray TextTable::encode(const QString& text, const QString& field) const {
    QByteArray bytes;
    QChar bad;
    if (!codePage_.encode(text, bytes, &bad))
        throw EngineError::withDescription(
            err::kConversionError, QStringLiteral("The field '%1' of '%2' cannot hold the character '%3' (U+%4): code page %5 has no place for it.")
                                       .arg(field, QFileInfo(path_).fileName(), QString(bad))
                                       .arg(bad.unicode(), 4, 16, QLatin1Char('0'))
                                       .arg(codePage_.name()));
    return bytes;
}

std::int64_t TextTable::append(const std::vector<Value>& values) {
    if (readOnly_) throw EngineError(err::kReadOnly, path_);
    beforeChange();
    QByteArray& line = line_;
    line.resize(0);
    for (size_t i = 0; i < design_.fields.size(); ++i) {
        const FieldInfo& f = design_.fields[i];
        const Value& v = i < values.size() ? values[i] : Value::null();
        if (layout_.fixedWidth) {
            const QString text = valueToText(v, f.type);
            const int width = widths_[i];
            if (text.size() > width)
                throw valueDoesNotFit(path_, f.name, QStringLiteral("'%1' takes %2 characters and the column is %3 wide").arg(text.left(40)).arg(text.size()).arg(width));
            line += encode(text.leftJustified(width), f.name);
            continue;
        }
        if (i > 0) line += layout_.delimiter;
        if (v.isMissing()) continue;
        if (isTextual(f.type) || ((f.type == FieldType::Binary || f.type == FieldType::LongBinary) && v.rawBinary().isEmpty())) {
            // Quotes tell an empty value ("") from a missing one; quotes inside are doubled.
            QByteArray bytes = isTextual(f.type) ? encode(toText(v), f.name) : QByteArray();
            line += '"';
            line += bytes.contains('"') ? bytes.replace("\"", "\"\"") : bytes;
            line += '"';
            continue;
        }
        appendValueText(line, v, f.type);
    }
    // A last line without its line end is ended first.
    if (bytes_.size() > bodyStart_ && !bytes_.endsWith('\n') && !bytes_.endsWith('\r')) {
        bytes_ += kLineEnd;
        pending_ += kLineEnd;
    }
    starts_.push_back(bytes_.size());
    bytes_ += line + kLineEnd;
    pending_ += line + kLineEnd;
    if (pending_.size() >= kPendingBytes) flush();
    return recordCount() - 1;
}

void TextTable::overwrite(std::int64_t, const std::vector<Value>&) {
    throw EngineError(err::kNotSupported, QStringLiteral("Rows of the text file '%1' can be added, not changed.").arg(QFileInfo(path_).fileName()));
}

void TextTable::markDeleted(std::int64_t) {
    throw EngineError(err::kNotSupported, QStringLiteral("Rows of the text file '%1' can be added, not deleted.").arg(QFileInfo(path_).fileName()));
}

void TextTable::flush() {
    if (pending_.isEmpty()) return;
    QFile f(path_);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append) || f.write(pending_) != pending_.size())
        throw writeFailed(path_, f.errorString());
    pending_.clear();
}

TextTable::~TextTable() {
    try {
        flush();
    } catch (const EngineError&) {
        // Nothing can report it here.
    }
}

TextLayoutDescription TextTable::create(const QString& path, const TableInfo& design) {
    TextLayoutDescription layout;
    layout.codePage = CodePage::windows1252();
    QStringList names;
    for (const auto& f : design.fields) {
        layout.columns.push_back({f.name, f.type, f.type == FieldType::Text ? f.size : 0});
        names << quoted(f.name);
    }
    QByteArray header;
    QChar bad;
    if (!layout.codePage->encode(names.join(QLatin1Char(',')), header, &bad))
        throw EngineError(err::kNotSupported, QStringLiteral("A field name of '%1' has the character '%2', which code page 1252 cannot hold.")
                                                  .arg(QFileInfo(path).fileName(), QString(bad)));
    header += kLineEnd;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(header) != header.size())
        throw writeFailed(path, f.errorString());
    return layout;
}

}  // namespace veranth::engine::isam
