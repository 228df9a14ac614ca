#include "engine/native/statement_catalog.h"

#include "engine/connect_string.h"
#include "engine/errors.h"
#include "engine/native/catalog.h"
#include "engine/native/file_names.h"
#include "engine/native/password_hash.h"

#include <QFileInfo>

namespace veranth::engine::native {

namespace {

bool namesOtherKind(const QString& connect) {
    return connect.contains(QLatin1Char(';')) && !connectPrefix(connect).trimmed().isEmpty();
}

// The file an external reference names, or empty. `IN 'file'` gives it as the database;
// `IN '' 'text'` and `[text]` give a connect string whose DATABASE is the file, or (with no
// ';' in it) the path itself.
QString namedFile(const QString& database, const QString& connect) {
    const bool isPath = !connect.contains(QLatin1Char(';'));
    if (!database.trimmed().isEmpty()) return database.trimmed();
    return isPath ? connect.trimmed() : connectValue(connect, QStringLiteral("DATABASE")).trimmed();
}

void requirePassword(Connection& connection, const QString& connect, const QString& path) {
    const QString hash = catalog::setting(connection, QStringLiteral("PasswordHash"));
    if (!hash.isEmpty() && !verifyPassword(connectValue(connect, QStringLiteral("pwd")), hash))
        throw EngineError(err::kBadPassword, path);
}

}  // namespace

std::shared_ptr<sql::StaticCatalog> catalogOf(Connection& connection) {
    auto view = std::make_shared<sql::StaticCatalog>();
    for (TableInfo& t : catalog::loadTables(connection)) view->addTable(std::move(t));
    for (const QueryInfo& q : catalog::loadQueries(connection)) view->addQuery(q.name, q.sql);
    return view;
}

StatementCatalog::StatementCatalog(std::shared_ptr<const sql::StaticCatalog> home, SharedFile& file, FileRegistry& files,
                                   SourceOfLink sourceOfLink, OpenOther openOther)
    : home_(std::move(home)), file_(file), files_(files), sourceOfLink_(std::move(sourceOfLink)), openOther_(std::move(openOther)) {}

const TableInfo* StatementCatalog::table(const QString& name) const {
    const TableInfo* found = home_->table(name);
    if (!found || !found->isAttached() || !sourceOfLink_) return found;
    for (const auto& link : links_)
        if (link->design.name == found->name) return &link->design;
    links_.push_back(std::make_unique<Source>(sourceOfLink_(*found)));
    return &links_.back()->design;
}

std::optional<QString> StatementCatalog::storedPlace(const TableInfo& table) const {
    for (const auto& link : links_)
        if (&link->design == &table) return link->place.sql();
    return std::nullopt;
}

TablePlace StatementCatalog::placeOf(const TableInfo& table, const QString& schema) const {
    for (const auto& link : links_)
        if (&link->design == &table) return link->place;
    return TablePlace{schema.isEmpty() ? QStringLiteral("main") : schema, table.name};
}

const sql::CatalogView* StatementCatalog::external(const QString& database, const QString& connect) const {
    if (namesOtherKind(connect)) {
        if (!openOther_) throw EngineError(err::kIsamNotFound, connectPrefix(connect).trimmed());
        const QString name = namedFile(database, connect);
        BridgedDatabase& other = file_.bridge(bridgeKey(name, connect), [&] { return openOther_(name, connect); });
        bridged_.push_back(other.catalog());
        return bridged_.back().get();
    }
    const QString given = namedFile(database, connect);
    if (given.isEmpty()) return nullptr;
    const QString resolved = resolveDatabaseFile(given);
    if (resolved.isEmpty()) throw EngineError(err::kFileNotFound, given);
    requireNativeFile(resolved, given);
    const QString path = QFileInfo(resolved).canonicalFilePath();
    if (path == file_.path()) return this;
    for (const Other& o : others_)
        if (o.file.path == path) return o.catalog.get();
    // The file's catalog is read through the connection that already has it open, if any,
    // so its own uncommitted design changes are seen.
    auto other = files_.open(path, true);
    requirePassword(other->connection(), connect, given);
    auto catalog = std::make_unique<sql::StaticCatalog>(*catalogOf(other->connection()));
    catalog->setSchemaName(file_.attach(path));
    others_.push_back({{path, connect}, std::move(catalog)});
    return others_.back().catalog.get();
}

std::optional<StatementCatalog::AttachedFile> StatementCatalog::fileOfSchema(const QString& schema) const {
    for (const Other& o : others_)
        if (o.catalog->schemaName() == schema) return o.file;
    return std::nullopt;
}

const sql::CatalogView* StatementCatalog::bySchema(const QString& schema) const {
    for (const Other& o : others_)
        if (o.catalog->schemaName() == schema) return o.catalog.get();
    for (const auto& b : bridged_)
        if (b->schemaName() == schema) return b.get();
    return nullptr;
}

BridgedDatabase* StatementCatalog::bridgeOfSchema(const QString& schema) const {
    return schema.isEmpty() ? nullptr : file_.bridgeOfSchema(schema);
}

}  // namespace veranth::engine::native
