#include "engine/native/catalog.h"

#include "engine/conversions.h"
#include "engine/errors.h"

#include <QRegularExpression>

namespace veranth::engine::native::catalog {

namespace {

const QStringList kCatalogTables = {"MSysDatabase", "MSysTables", "MSysColumns", "MSysIndexes", "MSysQueries"};

void run(Connection& c, const QString& sql, const std::vector<Value>& values) {
    Statement s = c.prepare(sql);
    for (size_t i = 0; i < values.size(); ++i) s.bind(static_cast<int>(i + 1), values[i]);
    s.step();
}

Value text(const QString& s) { return Value(s); }
Value number(std::int64_t n) { return Value::longValue(static_cast<std::int32_t>(n)); }
Value flag(bool b) { return Value::longValue(b ? 1 : 0); }

std::vector<FieldInfo> inferredFields(Connection& c, const QString& table) {
    std::vector<FieldInfo> fields;
    Statement s = c.prepare(QStringLiteral("SELECT name, type, \"notnull\" FROM pragma_table_info(?) ORDER BY cid"));
    s.bindText(1, table);
    int position = 0;
    while (s.step()) {
        FieldInfo f;
        f.name = s.text(0);
        int size = 0;
        f.type = typeFromStorage(s.text(1), &size);
        f.size = size > 0 ? size : defaultFieldSize(f.type);
        f.required = s.int64(2) != 0;
        f.allowZeroLength = true;
        f.ordinalPosition = position++;
        f.sourceTable = table;
        f.sourceField = f.name;
        fields.push_back(f);
    }
    return fields;
}

std::vector<IndexInfo> inferredIndexes(Connection& c, const QString& table) {
    std::vector<IndexInfo> indexes;
    Statement list = c.prepare(QStringLiteral("SELECT name, \"unique\", origin FROM pragma_index_list(?)"));
    list.bindText(1, table);
    while (list.step()) {
        IndexInfo i;
        i.storageName = list.text(0);
        i.name = list.text(2) == QLatin1String("pk") ? QStringLiteral("PrimaryKey") : i.storageName;
        i.unique = list.int64(1) != 0;
        i.primary = list.text(2) == QLatin1String("pk");
        Statement cols = c.prepare(QStringLiteral("SELECT name, \"desc\" FROM pragma_index_xinfo(?) WHERE key = 1 ORDER BY seqno"));
        cols.bindText(1, i.storageName);
        while (cols.step()) i.keys.push_back({cols.text(0), cols.int64(1) != 0});
        if (!i.keys.empty()) indexes.push_back(i);
    }
    return indexes;
}

std::vector<FieldInfo> catalogFields(Connection& c, const QString& table) {
    std::vector<FieldInfo> fields;
    Statement s = c.prepare(QStringLiteral(
        "SELECT Name, Type, Size, Attributes, Required, AllowZeroLength, DefaultValue, ValidationRule, "
        "ValidationText, OrdinalPosition FROM MSysColumns WHERE TableName = ? ORDER BY OrdinalPosition, rowid"));
    s.bindText(1, table);
    while (s.step()) {
        FieldInfo f;
        f.name = s.text(0);
        const int code = static_cast<int>(s.int64(1));
        f.type = isKnownFieldType(code) ? static_cast<FieldType>(code) : FieldType::Memo;
        f.size = static_cast<int>(s.int64(2));
        f.attributes = static_cast<int>(s.int64(3));
        f.required = s.int64(4) != 0;
        f.allowZeroLength = s.int64(5) != 0;
        f.defaultValue = s.text(6);
        f.validationRule = s.text(7);
        f.validationText = s.text(8);
        f.ordinalPosition = static_cast<int>(s.int64(9));
        f.sourceTable = table;
        f.sourceField = f.name;
        fields.push_back(f);
    }
    return fields;
}

std::vector<IndexInfo> catalogIndexes(Connection& c, const QString& table) {
    std::vector<IndexInfo> indexes;
    Statement s = c.prepare(QStringLiteral(
        "SELECT Name, StorageName, Fields, IsPrimary, IsUnique, IgnoreNulls, IsRequired, IsForeign "
        "FROM MSysIndexes WHERE TableName = ? ORDER BY rowid"));
    s.bindText(1, table);
    while (s.step()) {
        IndexInfo i;
        i.name = s.text(0);
        i.storageName = s.text(1);
        i.keys = IndexInfo::parseFields(s.text(2));
        i.primary = s.int64(3) != 0;
        i.unique = s.int64(4) != 0;
        i.ignoreNulls = s.int64(5) != 0;
        i.required = s.int64(6) != 0;
        i.foreign = s.int64(7) != 0;
        indexes.push_back(i);
    }
    return indexes;
}

}  // namespace

bool isCatalogTable(const QString& name) { return kCatalogTables.contains(name, Qt::CaseInsensitive); }

bool exists(Connection& c) {
    Statement s = c.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'MSysTables'"));
    return s.step();
}

void create(Connection& c) {
    const QString collate = QStringLiteral(" COLLATE ") + QLatin1String(kCollation);
    c.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS MSysDatabase (Name TEXT PRIMARY KEY%1, Value TEXT)").arg(collate));
    c.exec(QStringLiteral(
               "CREATE TABLE IF NOT EXISTS MSysTables (Name TEXT PRIMARY KEY%1, Attributes INTEGER NOT NULL DEFAULT 0, "
               "Connect TEXT, SourceTableName TEXT, ValidationRule TEXT, ValidationText TEXT, DateCreated REAL, "
               "LastUpdated REAL)")
               .arg(collate));
    c.exec(QStringLiteral(
               "CREATE TABLE IF NOT EXISTS MSysColumns (TableName TEXT NOT NULL%1, Name TEXT NOT NULL%1, "
               "Type INTEGER NOT NULL, Size INTEGER NOT NULL, Attributes INTEGER NOT NULL, Required INTEGER NOT NULL, "
               "AllowZeroLength INTEGER NOT NULL, DefaultValue TEXT, ValidationRule TEXT, ValidationText TEXT, "
               "OrdinalPosition INTEGER NOT NULL, AutoNext INTEGER NOT NULL DEFAULT 1, PRIMARY KEY (TableName, Name))")
               .arg(collate));
    c.exec(QStringLiteral(
               "CREATE TABLE IF NOT EXISTS MSysIndexes (TableName TEXT NOT NULL%1, Name TEXT NOT NULL%1, "
               "StorageName TEXT NOT NULL, Fields TEXT NOT NULL, IsPrimary INTEGER NOT NULL, IsUnique INTEGER NOT NULL, "
               "IgnoreNulls INTEGER NOT NULL, IsRequired INTEGER NOT NULL, IsForeign INTEGER NOT NULL DEFAULT 0, "
               "PRIMARY KEY (TableName, Name))")
               .arg(collate));
    c.exec(QStringLiteral(
               "CREATE TABLE IF NOT EXISTS MSysQueries (Name TEXT PRIMARY KEY%1, SQL TEXT NOT NULL, Connect TEXT, "
               "ReturnsRecords INTEGER NOT NULL DEFAULT 1, DateCreated REAL, LastUpdated REAL)")
               .arg(collate));
    if (setting(c, QStringLiteral("Format")).isEmpty()) {
        setSetting(c, QStringLiteral("Format"), QLatin1String(kFormatName));
        setSetting(c, QStringLiteral("FormatVersion"), QString::number(kFormatVersion));
        setSetting(c, QStringLiteral("DateCreated"), QString::number(currentDateSerial(), 'f', 8));
    }
}

std::vector<TableInfo> loadTables(Connection& c) {
    const bool hasCatalog = exists(c);
    QHash<QString, TableInfo> described;
    if (hasCatalog) {
        Statement s = c.prepare(QStringLiteral(
            "SELECT Name, Attributes, Connect, SourceTableName, ValidationRule, ValidationText, DateCreated, "
            "LastUpdated FROM MSysTables"));
        while (s.step()) {
            TableInfo t;
            t.name = s.text(0);
            t.attributes = static_cast<int>(s.int64(1));
            t.connect = s.text(2);
            t.sourceTableName = s.text(3);
            t.validationRule = s.text(4);
            t.validationText = s.text(5);
            t.dateCreated = s.real(6);
            t.lastUpdated = s.real(7);
            described.insert(t.name.toCaseFolded(), t);
        }
    }
    std::vector<TableInfo> tables;
    Statement master = c.prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"));
    QStringList stored;
    while (master.step()) stored << master.text(0);
    for (const QString& name : stored) {
        const QString key = name.toCaseFolded();
        if (described.contains(key)) {
            TableInfo t = described.take(key);
            t.fields = catalogFields(c, t.name);
            if (t.fields.empty()) t.fields = inferredFields(c, t.name);
            t.indexes = catalogIndexes(c, t.name);
            tables.push_back(t);
            continue;
        }
        TableInfo t;
        t.name = name;
        t.attributes = isCatalogTable(name) ? table_attr::kSystem : 0;
        t.fields = inferredFields(c, name);
        t.indexes = inferredIndexes(c, name);
        tables.push_back(t);
    }
    // Attached tables exist only in the catalog.
    for (const TableInfo& t : described)
        if (t.isAttached()) {
            TableInfo attached = t;
            attached.fields = catalogFields(c, t.name);
            tables.push_back(attached);
        }
    return tables;
}

std::vector<QueryInfo> loadQueries(Connection& c) {
    std::vector<QueryInfo> queries;
    if (!exists(c)) return queries;
    Statement s = c.prepare(QStringLiteral(
        "SELECT Name, SQL, Connect, ReturnsRecords, DateCreated, LastUpdated FROM MSysQueries ORDER BY Name"));
    while (s.step()) {
        QueryInfo q;
        q.name = s.text(0);
        q.sql = s.text(1);
        q.connect = s.text(2);
        q.returnsRecords = s.int64(3) != 0;
        q.dateCreated = s.real(4);
        q.lastUpdated = s.real(5);
        queries.push_back(q);
    }
    return queries;
}

void insertTable(Connection& c, const TableInfo& t) {
    const double now = currentDateSerial();
    run(c, QStringLiteral("INSERT INTO MSysTables (Name, Attributes, Connect, SourceTableName, ValidationRule, "
                          "ValidationText, DateCreated, LastUpdated) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
        {text(t.name), number(t.attributes), text(t.connect), text(t.sourceTableName), text(t.validationRule),
         text(t.validationText), Value::doubleValue(now), Value::doubleValue(now)});
    for (const auto& f : t.fields) insertField(c, t.name, f);
    for (const auto& i : t.indexes) insertIndex(c, t.name, i);
}

void deleteTable(Connection& c, const QString& table) {
    for (const char* tableName : {"MSysTables", "MSysColumns", "MSysIndexes"}) {
        const QString column = QLatin1String(tableName) == QLatin1String("MSysTables") ? QStringLiteral("Name") : QStringLiteral("TableName");
        run(c, QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(QLatin1String(tableName), column), {text(table)});
    }
}

void renameTable(Connection& c, const QString& from, const QString& to) {
    run(c, QStringLiteral("UPDATE MSysTables SET Name = ?, LastUpdated = ? WHERE Name = ?"),
        {text(to), Value::doubleValue(currentDateSerial()), text(from)});
    run(c, QStringLiteral("UPDATE MSysColumns SET TableName = ? WHERE TableName = ?"), {text(to), text(from)});
    run(c, QStringLiteral("UPDATE MSysIndexes SET TableName = ? WHERE TableName = ?"), {text(to), text(from)});
}

void updateTable(Connection& c, const TableInfo& t) {
    run(c, QStringLiteral("UPDATE MSysTables SET Connect = ?, ValidationRule = ?, ValidationText = ?, LastUpdated = ? "
                          "WHERE Name = ?"),
        {text(t.connect), text(t.validationRule), text(t.validationText), Value::doubleValue(currentDateSerial()),
         text(t.name)});
}

void touchTable(Connection& c, const QString& table) {
    run(c, QStringLiteral("UPDATE MSysTables SET LastUpdated = ? WHERE Name = ?"),
        {Value::doubleValue(currentDateSerial()), text(table)});
}

void insertField(Connection& c, const QString& table, const FieldInfo& f) {
    run(c, QStringLiteral("INSERT INTO MSysColumns (TableName, Name, Type, Size, Attributes, Required, AllowZeroLength, "
                          "DefaultValue, ValidationRule, ValidationText, OrdinalPosition) "
                          "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {text(table), text(f.name), number(static_cast<int>(f.type)), number(f.size), number(f.attributes),
         flag(f.required), flag(f.allowZeroLength), text(f.defaultValue), text(f.validationRule),
         text(f.validationText), number(f.ordinalPosition)});
}

void deleteField(Connection& c, const QString& table, const QString& field) {
    run(c, QStringLiteral("DELETE FROM MSysColumns WHERE TableName = ? AND Name = ?"), {text(table), text(field)});
}

void renameField(Connection& c, const QString& table, const QString& from, const QString& to) {
    run(c, QStringLiteral("UPDATE MSysColumns SET Name = ? WHERE TableName = ? AND Name = ?"),
        {text(to), text(table), text(from)});
}

void updateField(Connection& c, const QString& table, const FieldInfo& f) {
    run(c, QStringLiteral("UPDATE MSysColumns SET Required = ?, AllowZeroLength = ?, DefaultValue = ?, "
                          "ValidationRule = ?, ValidationText = ?, OrdinalPosition = ? WHERE TableName = ? AND Name = ?"),
        {flag(f.required), flag(f.allowZeroLength), text(f.defaultValue), text(f.validationRule),
         text(f.validationText), number(f.ordinalPosition), text(table), text(f.name)});
}

void insertIndex(Connection& c, const QString& table, const IndexInfo& i) {
    run(c, QStringLiteral("INSERT INTO MSysIndexes (TableName, Name, StorageName, Fields, IsPrimary, IsUnique, "
                          "IgnoreNulls, IsRequired, IsForeign) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        {text(table), text(i.name), text(i.storageName), text(i.fieldsText()), flag(i.primary),
         flag(i.unique || i.primary), flag(i.ignoreNulls), flag(i.required || i.primary), flag(i.foreign)});
}

void deleteIndex(Connection& c, const QString& table, const QString& index) {
    run(c, QStringLiteral("DELETE FROM MSysIndexes WHERE TableName = ? AND Name = ?"), {text(table), text(index)});
}

void renameIndex(Connection& c, const QString& table, const QString& from, const QString& to) {
    run(c, QStringLiteral("UPDATE MSysIndexes SET Name = ? WHERE TableName = ? AND Name = ?"),
        {text(to), text(table), text(from)});
}

void saveQuery(Connection& c, const QueryInfo& q, const QString& previousName) {
    const double now = currentDateSerial();
    run(c, QStringLiteral("DELETE FROM MSysQueries WHERE Name = ?"), {text(previousName)});
    run(c, QStringLiteral("INSERT INTO MSysQueries (Name, SQL, Connect, ReturnsRecords, DateCreated, LastUpdated) "
                          "VALUES (?, ?, ?, ?, ?, ?)"),
        {text(q.name), text(q.sql), text(q.connect), flag(q.returnsRecords),
         Value::doubleValue(q.dateCreated > 0 ? q.dateCreated : now), Value::doubleValue(now)});
}

void deleteQuery(Connection& c, const QString& name) {
    run(c, QStringLiteral("DELETE FROM MSysQueries WHERE Name = ?"), {text(name)});
}

QString setting(Connection& c, const QString& key) {
    Statement check = c.prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'MSysDatabase'"));
    if (!check.step()) return QString();
    Statement s = c.prepare(QStringLiteral("SELECT Value FROM MSysDatabase WHERE Name = ?"));
    s.bindText(1, key);
    return s.step() ? s.text(0) : QString();
}

void setSetting(Connection& c, const QString& key, const QString& value) {
    run(c, QStringLiteral("INSERT OR REPLACE INTO MSysDatabase (Name, Value) VALUES (?, ?)"), {text(key), text(value)});
}

QString storageType(const FieldInfo& f) {
    switch (f.type) {
    case FieldType::Boolean: return QStringLiteral("BOOLEAN");
    case FieldType::Byte: return QStringLiteral("TINYINT");
    case FieldType::Integer: return QStringLiteral("SMALLINT");
    case FieldType::Long: return QStringLiteral("INTEGER");
    case FieldType::Currency: return QStringLiteral("CURRENCY");
    case FieldType::Single: return QStringLiteral("FLOAT");
    case FieldType::Double: return QStringLiteral("DOUBLE");
    case FieldType::Date: return QStringLiteral("DATETIME");
    case FieldType::Binary: return QStringLiteral("VARBINARY(%1)").arg(f.size > 0 ? f.size : 255);
    case FieldType::Text:
        return QStringLiteral("VARCHAR(%1) COLLATE %2").arg(f.size > 0 ? f.size : 255).arg(QLatin1String(kCollation));
    case FieldType::LongBinary: return QStringLiteral("LONGBLOB");
    case FieldType::Memo: return QStringLiteral("LONGTEXT COLLATE %1").arg(QLatin1String(kCollation));
    }
    return QStringLiteral("LONGTEXT");
}

FieldType typeFromStorage(const QString& declared, int* size) {
    const QString t = declared.trimmed().toUpper();
    static const QRegularExpression sized(QStringLiteral(R"(\(\s*(\d+)\s*\))"));
    if (size) {
        const auto m = sized.match(t);
        *size = m.hasMatch() ? m.captured(1).toInt() : 0;
    }
    static const QList<std::pair<QString, FieldType>> ours = {
        {"BOOLEAN", FieldType::Boolean}, {"TINYINT", FieldType::Byte},     {"SMALLINT", FieldType::Integer},
        {"INTEGER", FieldType::Long},    {"CURRENCY", FieldType::Currency}, {"FLOAT", FieldType::Single},
        {"DOUBLE", FieldType::Double},   {"DATETIME", FieldType::Date},    {"VARBINARY", FieldType::Binary},
        {"VARCHAR", FieldType::Text},    {"LONGBLOB", FieldType::LongBinary}, {"LONGTEXT", FieldType::Memo},
    };
    const QString head = t.section(QRegularExpression(QStringLiteral("[\\s(]")), 0, 0);
    for (const auto& [name, type] : ours)
        if (head == name) return type;
    return fieldTypeFromDeclared(t);
}

}  // namespace veranth::engine::native::catalog
