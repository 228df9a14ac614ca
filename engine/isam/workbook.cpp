#include "engine/isam/workbook.h"

#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/isam/folder_files.h"
#include "engine/isam/isam_errors.h"
#include "engine/isam/sheet_reading.h"
#include "engine/isam/sheet_writing.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace veranth::engine::isam {

namespace {

constexpr int kLongestText = 255;

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

QString cataloguePathOf(const QString& workbook) { return workbook + QStringLiteral(".vxi"); }

QString fingerprintOf(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

Workbook::Format formatOfName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("xlsx") || suffix == QLatin1String("xlsm") ? Workbook::Format::Xlsx : Workbook::Format::Xls;
}

struct Catalogue {
    QString fingerprint;
    std::vector<TableInfo> tables;
};

// A catalogue that cannot be read counts as none: the workbook is then read as another
// program's, which loses nothing.
std::optional<Catalogue> readCatalogue(const QString& workbook) {
    QFile f(cataloguePathOf(workbook));
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    const QJsonDocument doc = QJsonDocument::fromJson(f.read(16 * 1024 * 1024));
    if (!doc.isObject()) return std::nullopt;
    Catalogue c;
    c.fingerprint = doc.object().value(QStringLiteral("fingerprint")).toString();
    for (const auto& t : doc.object().value(QStringLiteral("tables")).toArray()) {
        TableInfo table;
        table.name = t.toObject().value(QStringLiteral("name")).toString();
        for (const auto& fv : t.toObject().value(QStringLiteral("fields")).toArray()) {
            const QJsonObject o = fv.toObject();
            FieldInfo field;
            field.name = o.value(QStringLiteral("name")).toString();
            const int type = o.value(QStringLiteral("type")).toInt();
            if (!isKnownFieldType(type)) return std::nullopt;
            field.type = static_cast<FieldType>(type);
            field.size = o.value(QStringLiteral("size")).toInt();
            field.attributes = o.value(QStringLiteral("attributes")).toInt(field_attr::kVariable);
            field.allowZeroLength = o.value(QStringLiteral("allowZeroLength")).toBool(true);
            table.fields.push_back(field);
        }
        c.tables.push_back(table);
    }
    return c;
}

void writeCatalogue(const QString& workbook, const QString& fingerprint, const std::vector<const TableInfo*>& tables) {
    QJsonArray list;
    for (const TableInfo* t : tables) {
        QJsonArray fields;
        for (const auto& f : t->fields)
            fields.append(QJsonObject{{QStringLiteral("name"), f.name},
                                      {QStringLiteral("type"), static_cast<int>(f.type)},
                                      {QStringLiteral("size"), f.size},
                                      {QStringLiteral("attributes"), f.attributes},
                                      {QStringLiteral("allowZeroLength"), f.allowZeroLength}});
        list.append(QJsonObject{{QStringLiteral("name"), t->name}, {QStringLiteral("fields"), fields}});
    }
    const QJsonObject root{{QStringLiteral("fingerprint"), fingerprint}, {QStringLiteral("tables"), list}};
    writeFileAtomically(cataloguePathOf(workbook), QJsonDocument(root).toJson(QJsonDocument::Indented));
}

// The field a column of cells reads as: one kind of value gives its type; a mix is text,
// so that no value is lost.
FieldInfo inferField(const QString& name, const std::vector<std::vector<Value>>& rows, size_t column) {
    bool numbers = false, texts = false, dates = false, flags = false;
    qsizetype longest = 0;
    for (const auto& row : rows) {
        if (column >= row.size() || row[column].isMissing()) continue;
        const Value& v = row[column];
        switch (v.type()) {
        case ValueType::Boolean: flags = true; break;
        case ValueType::Date: dates = true; break;
        case ValueType::String:
            texts = true;
            longest = std::max(longest, v.rawString().size());
            break;
        default: numbers = true; break;
        }
    }
    FieldInfo f;
    f.name = name;
    f.allowZeroLength = true;
    const int kinds = int(numbers) + int(texts) + int(dates) + int(flags);
    if (kinds == 1 && numbers) f.type = FieldType::Double;
    else if (kinds == 1 && dates) f.type = FieldType::Date;
    else if (kinds == 1 && flags) f.type = FieldType::Boolean;
    else {
        if (kinds > 1)
            for (const auto& row : rows)
                if (column < row.size() && !row[column].isMissing()) longest = std::max(longest, toText(row[column]).size());
        f.type = longest > kLongestText ? FieldType::Memo : FieldType::Text;
    }
    f.size = f.type == FieldType::Text ? kLongestText : defaultFieldSize(f.type);
    if (f.type != FieldType::Text && f.type != FieldType::Memo) f.attributes = field_attr::kFixed;
    return f;
}

}  // namespace

struct Workbook::Sheet {
    TableInfo design;
    std::vector<std::vector<Value>> rows;  // ragged: missing cells at the end are Null
    std::vector<char> deleted;
    bool range = false;
    std::weak_ptr<TableFile> view;
};

namespace {

// Builds a table from rows of cells, the first of which names the fields. With `known`
// (what this engine wrote), the fields keep their engine types.
std::shared_ptr<Workbook::Sheet> sheetOf(const QString& path, const QString& name, std::vector<std::vector<Value>> cells,
                                         size_t width, const TableInfo* known) {
    auto sheet = std::make_shared<Workbook::Sheet>();
    sheet->design.name = name;
    std::vector<Value> header = cells.empty() ? std::vector<Value>() : std::move(cells.front());
    if (!cells.empty()) cells.erase(cells.begin());
    for (const auto& row : cells) width = std::max(width, row.size());
    width = std::max(width, header.size());
    std::vector<QString> names;
    for (size_t c = 0; c < std::max<size_t>(width, 1); ++c) {
        QString n = c < header.size() && !header[c].isMissing() ? toText(header[c]).trimmed() : QString();
        auto taken = [&](const QString& candidate) {
            for (const auto& other : names)
                if (sameName(other, candidate)) return true;
            return false;
        };
        if (n.isEmpty() || taken(n)) n = QStringLiteral("F%1").arg(c + 1);
        for (int k = 2; taken(n); ++k) n = QStringLiteral("F%1_%2").arg(c + 1).arg(k);
        names.push_back(n);
    }
    const bool useKnown = known && known->fields.size() == names.size() && [&] {
        for (size_t i = 0; i < names.size(); ++i)
            if (!sameName(known->fields[i].name, names[i])) return false;
        return true;
    }();
    for (size_t c = 0; c < names.size(); ++c) {
        FieldInfo f = useKnown ? known->fields[c] : inferField(names[c], cells, c);
        f.name = names[c];
        f.ordinalPosition = static_cast<int>(c);
        sheet->design.fields.push_back(f);
    }
    for (size_t r = 0; r < cells.size(); ++r) {
        auto& row = cells[r];
        if (row.size() > names.size()) row.resize(names.size());
        for (size_t c = 0; c < row.size(); ++c) {
            if (row[c].isMissing()) continue;
            const FieldInfo& f = sheet->design.fields[c];
            try {
                if (isTextual(f.type) && row[c].type() != ValueType::String) row[c] = Value(toText(row[c]));
                else row[c] = coerceForField(row[c], f.type, f.name);
            } catch (const EngineError& e) {
                throw badStoredValue(path, f.name, static_cast<std::int64_t>(r) + 1, e.description());
            }
        }
    }
    sheet->rows = std::move(cells);
    sheet->deleted.assign(sheet->rows.size(), 0);
    return sheet;
}

// The one table view of a sheet that every recordset on it shares.
class SheetTable : public TableFile {
public:
    SheetTable(std::shared_ptr<Workbook> book, std::shared_ptr<Workbook::Sheet> sheet)
        : book_(std::move(book)), sheet_(std::move(sheet)) {}

    const QString& path() const override { return book_->path(); }
    const TableInfo& design() const override { return sheet_->design; }
    std::int64_t recordCount() override { return static_cast<std::int64_t>(sheet_->rows.size()); }
    bool isDeleted(std::int64_t record) override { return sheet_->deleted.at(checked(record)) != 0; }
    void read(std::int64_t record, std::vector<Value>& out) override {
        const auto& row = sheet_->rows.at(checked(record));
        out.assign(sheet_->design.fields.size(), Value::null());
        for (size_t c = 0; c < row.size() && c < out.size(); ++c) out[c] = row[c];
    }
    bool canChangeRecords() const override { return true; }
    std::int64_t append(const std::vector<Value>& values) override {
        requireWritable();
        if (recordCount() + 2 > book_->limits().rows)
            throw EngineError(err::kNotSupported, QStringLiteral("The sheet '%1' of '%2' is full: a %3 sheet has %4 rows.")
                                                      .arg(sheet_->design.name, QFileInfo(path()).fileName(), book_->limits().format)
                                                      .arg(book_->limits().rows));
        std::vector<Value> row = fitted(values);
        beforeChange();
        sheet_->rows.push_back(std::move(row));
        sheet_->deleted.push_back(0);
        book_->markChanged();
        return recordCount() - 1;
    }
    void overwrite(std::int64_t record, const std::vector<Value>& values) override {
        requireWritable();
        const size_t at = checked(record);
        std::vector<Value> row = fitted(values);
        beforeChange();
        sheet_->rows[at] = std::move(row);
        book_->markChanged();
    }
    void markDeleted(std::int64_t record) override {
        requireWritable();
        const size_t at = checked(record);
        beforeChange();
        sheet_->deleted[at] = 1;
        book_->markChanged();
    }
    void flush() override { book_->flush(); }

private:
    size_t checked(std::int64_t record) const {
        if (record < 0 || record >= static_cast<std::int64_t>(sheet_->rows.size()))
            throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("record %1 is outside '%2'").arg(record + 1).arg(sheet_->design.name));
        return static_cast<size_t>(record);
    }
    void requireWritable() const {
        if (sheet_->range)
            throw EngineError(err::kNotSupported, QStringLiteral("'%1' is a named range of '%2'; its rows are read, not changed.")
                                                      .arg(sheet_->design.name, QFileInfo(path()).fileName()));
        book_->requireWritable();
    }
    // Refused here, at Update, rather than when the file is written: each value must fit a cell.
    std::vector<Value> fitted(const std::vector<Value>& values) const {
        std::vector<Value> row(sheet_->design.fields.size(), Value::null());
        for (size_t c = 0; c < row.size() && c < values.size(); ++c) {
            sheetCellFor(path(), sheet_->design.fields[c], values[c], book_->limits());
            row[c] = values[c].isMissing() ? Value::null() : coerceForField(values[c], sheet_->design.fields[c].type, sheet_->design.fields[c].name);
        }
        return row;
    }

    std::shared_ptr<Workbook> book_;
    std::shared_ptr<Workbook::Sheet> sheet_;
};

QHash<QString, std::weak_ptr<Workbook>>& openWorkbooks() {
    static QHash<QString, std::weak_ptr<Workbook>> books;
    return books;
}

QString keyOf(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}

}  // namespace

std::shared_ptr<Workbook> Workbook::open(const QString& path, bool readOnly) {
    const QString key = keyOf(path);
    if (auto it = openWorkbooks().find(key); it != openWorkbooks().end())
        if (auto book = it->lock(); book && (readOnly || !book->readOnly_)) return book;
    const QFileInfo info(path);
    if (!info.absoluteDir().exists() || info.isDir() || (readOnly && !info.exists())) throw EngineError(err::kFileNotFound, path);
    std::shared_ptr<Workbook> book(new Workbook());
    book->path_ = info.absoluteFilePath();
    book->readOnly_ = readOnly;
    book->load();
    openWorkbooks().insert(key, book);
    return book;
}

Workbook::~Workbook() {
    try {
        flush();
    } catch (const EngineError&) {
        // Nothing can report it here; the file stays as it was last written.
    }
}

const SheetLimits& Workbook::limits() const { return format_ == Format::Xlsx ? xlsxLimits() : xlsLimits(); }

void Workbook::load() {
    format_ = formatOfName(path_);
    if (!QFileInfo::exists(path_)) return;
    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly)) throw EngineError(err::kFileNotFound, path_);
    const QByteArray bytes = f.readAll();
    f.close();
    WorkbookContent content;
    if (bytes.startsWith(QByteArrayLiteral("PK\x03\x04"))) {
        format_ = Format::Xlsx;
        content = readXlsxWorkbook(path_, bytes);
    } else if (bytes.startsWith(QByteArrayLiteral("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))) {
        format_ = Format::Xls;
        content = readXlsWorkbook(path_);
    } else {
        throw malformedFile(path_, bytes.isEmpty() ? QStringLiteral("it is empty") : QStringLiteral("it is not an Excel workbook"));
    }
    const auto catalogue = readCatalogue(path_);
    const bool ours = catalogue && catalogue->fingerprint == fingerprintOf(bytes);
    if (readOnly_) whyNotWritable_ = QString();
    else if (!ours)
        whyNotWritable_ = QStringLiteral("'%1' was written by another program, and writing it again from its values would lose its "
                                         "formulas and formatting; export into a new workbook instead")
                              .arg(QFileInfo(path_).fileName());
    auto knownTable = [&](const QString& name) -> const TableInfo* {
        if (!ours) return nullptr;
        for (const auto& t : catalogue->tables)
            if (t.name == name) return &t;
        return nullptr;
    };
    for (auto& grid : content.sheets) {
        const QString name = grid.name;
        for (const auto& range : content.ranges)
            if (sameName(range.sheet, name)) {
                std::vector<std::vector<Value>> cells;
                for (int r = range.firstRow; r <= range.lastRow && r < static_cast<int>(grid.rows.size()); ++r) {
                    const auto& source = grid.rows[static_cast<size_t>(r)];
                    std::vector<Value> row;
                    for (int c = range.firstColumn; c <= range.lastColumn && c < static_cast<int>(source.size()); ++c)
                        row.push_back(source[static_cast<size_t>(c)]);
                    cells.push_back(std::move(row));
                }
                if (indexOf(range.name) >= 0 && sheets_[static_cast<size_t>(indexOf(range.name))]->range) continue;
                auto sheet = sheetOf(path_, range.name, std::move(cells), static_cast<size_t>(range.lastColumn - range.firstColumn + 1), nullptr);
                sheet->range = true;
                sheets_.push_back(sheet);
            }
        sheets_.push_back(sheetOf(path_, name, std::move(grid.rows), 0, knownTable(name)));
    }
}

int Workbook::indexOf(const QString& given) const {
    const QString name = given.trimmed();
    // A named range of the same name as a sheet is found first; the sheet is "Name$".
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < sheets_.size(); ++i)
            if (sheets_[i]->range == (pass == 0) && sameName(sheets_[i]->design.name, name)) return static_cast<int>(i);
    if (name.endsWith(QLatin1Char('$')))
        for (size_t i = 0; i < sheets_.size(); ++i)
            if (!sheets_[i]->range && sameName(sheets_[i]->design.name + QLatin1Char('$'), name)) return static_cast<int>(i);
    return -1;
}

QStringList Workbook::tableNames() const {
    QStringList names;
    for (const auto& s : sheets_) {
        bool shadowed = false;
        if (!s->range)
            for (const auto& other : sheets_)
                shadowed = shadowed || (other->range && sameName(other->design.name, s->design.name));
        names << (shadowed ? s->design.name + QLatin1Char('$') : s->design.name);
    }
    return names;
}

bool Workbook::isRange(const QString& name) const {
    const int i = indexOf(name);
    return i >= 0 && sheets_[static_cast<size_t>(i)]->range;
}

std::shared_ptr<TableFile> Workbook::table(const QString& name) {
    const int i = indexOf(name);
    if (i < 0) return nullptr;
    auto& sheet = sheets_[static_cast<size_t>(i)];
    if (auto view = sheet->view.lock()) return view;
    auto view = std::make_shared<SheetTable>(shared_from_this(), sheet);
    sheet->view = view;
    return view;
}

void Workbook::requireWritable() const {
    if (readOnly_) throw EngineError(err::kReadOnly, path_);
    if (!whyNotWritable_.isEmpty()) throw EngineError(err::kNotSupported, whyNotWritable_ + QLatin1Char('.'));
}

void Workbook::createTable(const TableInfo& given) {
    requireWritable();
    if (indexOf(given.name) >= 0) throw EngineError(err::kTableExists, given.name);
    TableInfo design = given;
    design.indexes.clear();
    requireSheetDesign(path_, design, limits());
    auto sheet = std::make_shared<Sheet>();
    sheet->design = design;
    sheets_.push_back(sheet);
    changed_ = true;
    try {
        save();
    } catch (...) {
        sheets_.pop_back();
        throw;
    }
}

void Workbook::dropTable(const QString& name) {
    requireWritable();
    const int i = indexOf(name);
    if (i < 0) throw EngineError(err::kInputTableNotFound, name);
    auto removed = sheets_[static_cast<size_t>(i)];
    sheets_.erase(sheets_.begin() + i);
    changed_ = true;
    try {
        save();
    } catch (...) {
        sheets_.insert(sheets_.begin() + i, removed);
        throw;
    }
}

void Workbook::renameTable(const QString& from, const QString& to) {
    requireWritable();
    const int i = indexOf(from);
    if (i < 0) throw EngineError(err::kInputTableNotFound, from);
    const int existing = indexOf(to);
    if (existing >= 0 && existing != i) throw EngineError(err::kTableExists, to);
    auto& design = sheets_[static_cast<size_t>(i)]->design;
    TableInfo renamed = design;
    renamed.name = to;
    requireSheetDesign(path_, renamed, limits());
    const QString old = design.name;
    design.name = to;
    changed_ = true;
    try {
        save();
    } catch (...) {
        design.name = old;
        throw;
    }
}

void Workbook::reshapeTable(const QString& name, const std::vector<FieldInfo>& fields, const std::vector<int>& sourceOf) {
    requireWritable();
    const int i = indexOf(name);
    if (i < 0) throw EngineError(err::kInputTableNotFound, name);
    auto& sheet = *sheets_[static_cast<size_t>(i)];
    TableInfo design = sheet.design;
    design.fields = fields;
    for (size_t c = 0; c < design.fields.size(); ++c) design.fields[c].ordinalPosition = static_cast<int>(c);
    requireSheetDesign(path_, design, limits());
    std::vector<std::vector<Value>> rows;
    rows.reserve(sheet.rows.size());
    for (const auto& old : sheet.rows) {
        std::vector<Value> row(fields.size(), Value::null());
        for (size_t c = 0; c < fields.size(); ++c)
            if (sourceOf[c] >= 0 && static_cast<size_t>(sourceOf[c]) < old.size()) row[c] = old[static_cast<size_t>(sourceOf[c])];
        rows.push_back(std::move(row));
    }
    std::swap(sheet.design, design);
    std::swap(sheet.rows, rows);
    changed_ = true;
    try {
        save();
    } catch (...) {
        std::swap(sheet.design, design);
        std::swap(sheet.rows, rows);
        throw;
    }
}

void Workbook::flush() {
    if (changed_) save();
}

void Workbook::save() {
    std::vector<SheetToWrite> out;
    std::vector<const TableInfo*> designs;
    for (const auto& s : sheets_) {
        if (s->range) continue;
        SheetToWrite sheet;
        sheet.name = s->design.name;
        sheet.fields = s->design.fields;
        for (size_t r = 0; r < s->rows.size(); ++r)
            if (!s->deleted[r]) sheet.rows.push_back(&s->rows[r]);
        out.push_back(std::move(sheet));
        designs.push_back(&s->design);
    }
    // A workbook without a sheet is no workbook: the file goes.
    if (out.empty()) {
        if (QFileInfo::exists(path_) && !QFile::remove(path_)) throw writeFailed(path_, QStringLiteral("it could not be deleted"));
        QFile::remove(cataloguePathOf(path_));
        changed_ = false;
        return;
    }
    QByteArray bytes;
    if (format_ == Format::Xls) {
        bytes = xlsWorkbookBytes(path_, out);
        writeFileAtomically(path_, bytes);
    } else {
        const QString temporary = temporarySibling(path_);
        try {
            writeXlsxWorkbook(temporary, path_, out);
            QFile f(temporary);
            if (!f.open(QIODevice::ReadOnly)) throw writeFailed(path_, f.errorString());
            bytes = f.readAll();
        } catch (...) {
            QFile::remove(temporary);
            throw;
        }
        replaceFile(temporary, path_);
    }
    writeCatalogue(path_, fingerprintOf(bytes), designs);
    changed_ = false;
}

std::vector<WorkbookTable> readWorkbookTables(const QString& path) {
    auto book = Workbook::open(path, true);
    std::vector<WorkbookTable> tables;
    for (const QString& name : book->tableNames()) {
        auto file = book->table(name);
        WorkbookTable t;
        t.design = file->design();
        for (std::int64_t r = 0; r < file->recordCount(); ++r) {
            std::vector<Value> row;
            file->read(r, row);
            t.rows.push_back(std::move(row));
        }
        tables.push_back(std::move(t));
    }
    return tables;
}

}  // namespace veranth::engine::isam
