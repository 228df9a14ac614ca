#include "engine/isam/workbook_database.h"

#include "engine/isam/file_recordsets.h"

#include <QFileInfo>

namespace veranth::engine::isam {

namespace {

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

const QString kStatementsNote = QStringLiteral(
    "Statements on a workbook are run from a native database, through an attached table or an IN clause.");

std::vector<int> sameColumns(const TableInfo& design) {
    std::vector<int> columns;
    for (size_t i = 0; i < design.fields.size(); ++i) columns.push_back(static_cast<int>(i));
    return columns;
}

int columnOf(const TableInfo& design, const QString& field) {
    for (size_t i = 0; i < design.fields.size(); ++i)
        if (sameName(design.fields[i].name, field)) return static_cast<int>(i);
    return -1;
}

}  // namespace

std::shared_ptr<WorkbookDatabase> WorkbookDatabase::open(std::shared_ptr<EngineContext> context, const QString& given, QString connect,
                                                         bool readOnly) {
    QString file = given.trimmed();
    if (file.isEmpty()) throw EngineError(err::kFileNotFound, given);
    // A name without an extension is the .xls workbook of that name, unless the file exists as given.
    if (!QFileInfo::exists(file) && QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".xls");
    std::shared_ptr<WorkbookDatabase> db(new WorkbookDatabase());
    db->context_ = std::move(context);
    db->book_ = Workbook::open(file, readOnly);
    db->connect_ = std::move(connect);
    db->readOnly_ = readOnly;
    std::weak_ptr<WorkbookDatabase> self = db;
    db->tableDefs_.setHooks(
        [self](const std::shared_ptr<TableDef>& t) {
            auto d = self.lock();
            d->createTable(t->info());
            t->markStored(std::static_pointer_cast<SchemaStore>(d));
        },
        [self](const std::shared_ptr<TableDef>& t) { self.lock()->dropTable(t->name()); });
    db->tableDefs_.setRefresh([self] {
        if (auto d = self.lock()) d->reload();
    });
    return db;
}

QString WorkbookDatabase::version() const {
    return book_->format() == Workbook::Format::Xlsx ? QStringLiteral("Excel (.xlsx)") : QStringLiteral("Excel 5.0");
}

void WorkbookDatabase::requireOpen() const {
    if (!open_) throw EngineError(err::kInvalidOperation, QStringLiteral("The database is closed."));
}

void WorkbookDatabase::requireWritable() const {
    requireOpen();
    if (readOnly_) throw EngineError(err::kReadOnly, book_->path());
    book_->requireWritable();
}

std::shared_ptr<TableFile> WorkbookDatabase::tableFile(const QString& table) {
    requireOpen();
    auto file = book_->table(table);
    if (!file) throw EngineError(err::kInputTableNotFound, table);
    return file;
}

const TableInfo& WorkbookDatabase::designOf(const QString& table) { return tableFile(table)->design(); }

void WorkbookDatabase::reload() {
    std::vector<std::shared_ptr<TableDef>> tables;
    std::weak_ptr<SchemaStore> store = std::static_pointer_cast<SchemaStore>(shared_from_this());
    for (const QString& name : book_->tableNames()) {
        TableInfo info = book_->table(name)->design();
        info.name = name;
        tables.push_back(TableDef::load(info, store));
    }
    tableDefs_.load(std::move(tables));
}

Collection<TableDef>& WorkbookDatabase::tableDefs() {
    recorded([&] {
        requireOpen();
        reload();
    });
    return tableDefs_;
}

void WorkbookDatabase::execute(const QString&, int) {
    recorded([&] { throw EngineError(err::kNotSupported, kStatementsNote); });
}

std::shared_ptr<QueryDef> WorkbookDatabase::createQueryDef(const QString&, const QString&) {
    return recorded([&]() -> std::shared_ptr<QueryDef> {
        throw EngineError(err::kNotSupported, QStringLiteral("A workbook keeps no queries. %1").arg(kStatementsNote));
    });
}

std::shared_ptr<Recordset> WorkbookDatabase::openRecordset(const QString& source, RecordsetType type, int options) {
    return recorded([&]() -> std::shared_ptr<Recordset> {
        requireOpen();
        QString table = source.trimmed();
        if (!book_->table(table)) {
            const QString named = tableOfPlainSelect(source);
            if (named.isEmpty()) {
                if (!table.contains(QLatin1Char(' '))) throw EngineError(err::kInputTableNotFound, source);
                throw EngineError(err::kNotSupported, kStatementsNote);
            }
            if (type == RecordsetType::Table)
                throw EngineError(err::kNotSupported, QStringLiteral("A table-type recordset opens a table, not a statement."));
            table = named;
            if (type == RecordsetType::Default) type = RecordsetType::Dynaset;
        }
        auto file = tableFile(table);
        QString why = QStringLiteral("The database was opened read-only.");
        bool readOnly = readOnly_;
        if (!readOnly) {
            try {
                book_->requireWritable();
                if (book_->isRange(table)) {
                    readOnly = true;
                    why = QStringLiteral("'%1' is a named range; its rows are read, not changed.").arg(table);
                }
            } catch (const EngineError& e) {
                readOnly = true;
                why = e.description();
            }
        }
        return openFileRecordset(context_, file, file->design().name, type, options, readOnly, why);
    });
}

void WorkbookDatabase::close() {
    if (!open_) return;
    open_ = false;
    book_->flush();
}

void WorkbookDatabase::createTable(const TableInfo& given) {
    recorded([&] {
        requireWritable();
        if (given.name.trimmed().isEmpty()) throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("a table needs a name"));
        if (!given.connect.trimmed().isEmpty())
            throw EngineError(err::kNotSupported, QStringLiteral("A workbook cannot hold attached tables."));
        if (given.fields.empty()) throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("table '%1' has no fields").arg(given.name));
        TableInfo table = given;
        for (size_t i = 0; i < table.fields.size(); ++i) {
            table.fields[i].ordinalPosition = static_cast<int>(i);
            for (size_t j = 0; j < i; ++j)
                if (sameName(table.fields[i].name, table.fields[j].name)) throw EngineError(err::kFieldDefinedTwice, table.fields[i].name);
        }
        book_->createTable(table);
    });
}

void WorkbookDatabase::dropTable(const QString& table) {
    recorded([&] {
        requireWritable();
        if (book_->isRange(table)) throw EngineError(err::kNotSupported, QStringLiteral("'%1' is a named range; it cannot be deleted here.").arg(table));
        book_->dropTable(table);
    });
}

void WorkbookDatabase::renameTable(const QString& from, const QString& to) {
    recorded([&] {
        requireWritable();
        if (book_->isRange(from)) throw EngineError(err::kNotSupported, QStringLiteral("'%1' is a named range; it cannot be renamed here.").arg(from));
        book_->renameTable(from, to);
    });
}

void WorkbookDatabase::updateTable(const TableInfo&) {
    recorded([&] { throw EngineError(err::kNotSupported, QStringLiteral("A workbook keeps no validation rules.")); });
}

void WorkbookDatabase::updateField(const QString&, const FieldInfo&) {
    recorded([&] { throw EngineError(err::kNotSupported, QStringLiteral("A workbook keeps no rules or properties of its fields.")); });
}

void WorkbookDatabase::addField(const QString& table, const FieldInfo& field) {
    recorded([&] {
        requireWritable();
        const TableInfo& design = designOf(table);
        if (design.field(field.name)) throw EngineError(err::kFieldDefinedTwice, field.name);
        std::vector<FieldInfo> fields = design.fields;
        fields.push_back(field);
        std::vector<int> sourceOf = sameColumns(design);
        sourceOf.push_back(-1);
        book_->reshapeTable(table, fields, sourceOf);
    });
}

void WorkbookDatabase::dropField(const QString& table, const QString& field) {
    recorded([&] {
        requireWritable();
        const TableInfo& design = designOf(table);
        const int column = columnOf(design, field);
        if (column < 0) throw EngineError(err::kItemNotFound, field);
        if (design.fields.size() == 1)
            throw EngineError(err::kInvalidOperation, QStringLiteral("'%1' is the last field of '%2'.").arg(field, design.name));
        std::vector<FieldInfo> fields = design.fields;
        std::vector<int> sourceOf = sameColumns(design);
        fields.erase(fields.begin() + column);
        sourceOf.erase(sourceOf.begin() + column);
        book_->reshapeTable(table, fields, sourceOf);
    });
}

void WorkbookDatabase::renameField(const QString& table, const QString& from, const QString& to) {
    recorded([&] {
        requireWritable();
        const TableInfo& design = designOf(table);
        const int column = columnOf(design, from);
        if (column < 0) throw EngineError(err::kItemNotFound, from);
        if (!sameName(from, to) && design.field(to)) throw EngineError(err::kFieldDefinedTwice, to);
        std::vector<FieldInfo> fields = design.fields;
        fields[static_cast<size_t>(column)].name = to;
        book_->reshapeTable(table, fields, sameColumns(design));
    });
}

// Accepted so that copying a design with its indexes into a workbook succeeds; a workbook
// has nowhere to keep an index, so nothing is kept and nothing is enforced.
void WorkbookDatabase::addIndex(const QString& table, const IndexInfo& index) {
    recorded([&] {
        const TableInfo& design = designOf(table);
        if (index.name.trimmed().isEmpty()) throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("an index needs a name"));
        for (const auto& key : index.keys)
            if (!design.field(key.field)) throw EngineError(err::kItemNotFound, key.field);
    });
}

void WorkbookDatabase::dropIndex(const QString& table, const QString& index) {
    recorded([&] {
        designOf(table);
        throw EngineError(err::kItemNotFound, index);
    });
}

void WorkbookDatabase::renameIndex(const QString& table, const QString& from, const QString&) {
    recorded([&] {
        designOf(table);
        throw EngineError(err::kItemNotFound, from);
    });
}

std::int64_t WorkbookDatabase::countRows(const QString& table) {
    return recorded([&] {
        auto file = tableFile(table);
        std::int64_t live = 0;
        for (std::int64_t r = 0; r < file->recordCount(); ++r)
            if (!file->isDeleted(r)) ++live;
        return live;
    });
}

}  // namespace veranth::engine::isam
