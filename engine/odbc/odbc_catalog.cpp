#include "engine/odbc/odbc_catalog.h"

#include <map>

namespace veranth::engine::odbc {

namespace {

QString textColumn(Statement& s, int column) {
    const Value v = readColumn(s.get(), static_cast<SQLUSMALLINT>(column),
                               describedColumn(QString(), SQL_VARCHAR, 255, 0, true));
    return v.isNull() ? QString() : v.rawString();
}

std::int64_t numberColumn(Statement& s, int column) {
    SQLBIGINT v = 0;
    SQLLEN indicator = 0;
    if (!SQL_SUCCEEDED(SQLGetData(s.get(), static_cast<SQLUSMALLINT>(column), SQL_C_SBIGINT, &v, 0, &indicator)) ||
        indicator == SQL_NULL_DATA)
        return 0;
    return v;
}

void loadFields(const std::shared_ptr<DriverConnection>& connection, TableInfo& table) {
    Statement s(connection);
    QByteArray name = utf8(table.name);
    check(SQLColumns(s.get(), nullptr, 0, nullptr, 0, reinterpret_cast<SQLCHAR*>(name.data()), SQL_NTS, nullptr, 0),
          SQL_HANDLE_STMT, s.get());
    int ordinal = 0;
    while (s.fetch()) {
        // The name is a pattern to the driver ("_" matches any character): keep this table's own.
        if (textColumn(s, 3).compare(table.name, Qt::CaseInsensitive) != 0) continue;
        const QString column = textColumn(s, 4);
        const auto sqlType = static_cast<SQLSMALLINT>(numberColumn(s, 5));
        const auto size = static_cast<SQLULEN>(numberColumn(s, 7));
        const auto decimals = static_cast<SQLSMALLINT>(numberColumn(s, 9));
        const bool nullable = numberColumn(s, 11) != SQL_NO_NULLS;
        const QString typeName = textColumn(s, 6).toLower();
        FieldInfo f = fieldInfoOf(describedColumn(column, sqlType, size, decimals, nullable), ordinal++);
        // Server-numbered columns fill themselves in, as the engine's AutoIncrement fields do.
        if (typeName.contains(QLatin1String("identity")) || typeName.contains(QLatin1String("serial")))
            f.attributes |= field_attr::kAutoIncrement;
        f.sourceTable = table.name;
        f.sourceField = column;
        table.fields.push_back(f);
    }
}

void loadIndexes(const std::shared_ptr<DriverConnection>& connection, TableInfo& table) {
    std::vector<QString> primaryColumns;
    QString primaryName;
    {
        Statement s(connection);
        QByteArray name = utf8(table.name);
        if (SQL_SUCCEEDED(SQLPrimaryKeys(s.get(), nullptr, 0, nullptr, 0, reinterpret_cast<SQLCHAR*>(name.data()), SQL_NTS))) {
            std::map<std::int64_t, QString> bySequence;
            while (s.fetch()) {
                bySequence[numberColumn(s, 5)] = textColumn(s, 4);
                primaryName = textColumn(s, 6);
            }
            for (const auto& [seq, column] : bySequence) primaryColumns.push_back(column);
        }
    }
    std::map<QString, IndexInfo> byName;
    std::vector<QString> order;
    {
        Statement s(connection);
        QByteArray name = utf8(table.name);
        if (SQL_SUCCEEDED(SQLStatistics(s.get(), nullptr, 0, nullptr, 0, reinterpret_cast<SQLCHAR*>(name.data()), SQL_NTS,
                                        SQL_INDEX_ALL, SQL_QUICK))) {
            while (s.fetch()) {
                if (numberColumn(s, 7) == SQL_TABLE_STAT) continue;
                const QString index = textColumn(s, 6);
                const QString column = textColumn(s, 9);
                if (index.isEmpty() || column.isEmpty()) continue;
                auto [it, fresh] = byName.try_emplace(index);
                if (fresh) {
                    order.push_back(index);
                    it->second.name = index;
                    it->second.unique = numberColumn(s, 4) == SQL_FALSE;
                }
                it->second.keys.push_back({column, textColumn(s, 10) == QLatin1String("D")});
            }
        }
    }
    for (const QString& name : order) {
        IndexInfo index = byName[name];
        std::vector<QString> columns;
        for (const auto& k : index.keys) columns.push_back(k.field);
        if (!primaryColumns.empty() && columns == primaryColumns) {
            index.primary = true;
            index.unique = true;
            index.required = true;
            primaryColumns.clear();
        }
        table.indexes.push_back(std::move(index));
    }
    // A primary key the driver lists apart from its indexes.
    if (!primaryColumns.empty()) {
        IndexInfo pk;
        pk.name = primaryName.isEmpty() ? QStringLiteral("PrimaryKey") : primaryName;
        for (const QString& c : primaryColumns) pk.keys.push_back({c, false});
        pk.primary = pk.unique = pk.required = true;
        table.indexes.insert(table.indexes.begin(), pk);
    }
}

}  // namespace

std::vector<TableInfo> loadTables(const std::shared_ptr<DriverConnection>& connection) {
    std::vector<TableInfo> tables;
    {
        Statement s(connection);
        QByteArray types("TABLE,VIEW");
        check(SQLTables(s.get(), nullptr, 0, nullptr, 0, nullptr, 0, reinterpret_cast<SQLCHAR*>(types.data()), SQL_NTS),
              SQL_HANDLE_STMT, s.get());
        while (s.fetch()) {
            const QString schema = textColumn(s, 2);
            if (schema == QLatin1String("information_schema") || schema == QLatin1String("pg_catalog") ||
                schema == QLatin1String("sys") || schema == QLatin1String("INFORMATION_SCHEMA"))
                continue;
            TableInfo t;
            t.name = textColumn(s, 3);
            if (t.name.isEmpty()) continue;
            tables.push_back(std::move(t));
        }
    }
    for (TableInfo& t : tables) {
        loadFields(connection, t);
        loadIndexes(connection, t);
    }
    return tables;
}

TableInfo loadTable(const std::shared_ptr<DriverConnection>& connection, const QString& table) {
    TableInfo t;
    t.name = table;
    loadFields(connection, t);
    if (!t.fields.empty()) loadIndexes(connection, t);
    return t;
}

}  // namespace veranth::engine::odbc
