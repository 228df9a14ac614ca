#include "engine/direct/environment.h"

#include "engine/connect_string.h"
#include "engine/direct/connection.h"
#include "engine/errors.h"

namespace veranth::engine::direct {

namespace {

QString withSegment(QString connect, const QString& key, const QString& value) {
    if (!connect.isEmpty() && !connect.trimmed().endsWith(QLatin1Char(';'))) connect += QLatin1Char(';');
    return connect + key + QLatin1Char('=') + value + QLatin1Char(';');
}

bool hasKey(const QString& connect, const QString& key) {
    for (const QString& part : connect.split(QLatin1Char(';'))) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) return true;
    }
    return false;
}

}  // namespace

std::shared_ptr<Environment> Environment::create(const QString& name, const QString& userName, const QString& password) {
    std::shared_ptr<Environment> env(new Environment());
    env->name_ = name;
    env->userName_ = userName;
    env->password_ = password;
    return env;
}

Environment::~Environment() { close(); }

std::shared_ptr<Connection> Environment::openConnection(const QString& dsn, int promptMode, bool readOnly,
                                                        const QString& connectText) {
    QString connect = odbc::withoutOdbcPrefix(connectText);
    if (!dsn.trimmed().isEmpty() && !hasKey(connect, QStringLiteral("DSN")) && !hasKey(connect, QStringLiteral("DRIVER")))
        connect = withSegment(connect, QStringLiteral("DSN"), dsn.trimmed());
    if (!userName_.isEmpty() && !hasKey(connect, QStringLiteral("UID"))) connect = withSegment(connect, QStringLiteral("UID"), userName_);
    if (!password_.isEmpty() && !hasKey(connect, QStringLiteral("PWD"))) connect = withSegment(connect, QStringLiteral("PWD"), password_);

    odbc::ConnectOptions options;
    options.loginTimeout = loginTimeout_;
    options.readOnly = readOnly;
    if (promptMode != prompt::kNoPrompt) options.prompt = prompt_;
    auto connection = std::make_shared<Connection>(odbc::DriverConnection::open(connect, options), dsn);
    if (inTransaction_) connection->link()->begin();
    connections_.push_back(connection);
    return connection;
}

std::vector<std::shared_ptr<Connection>> Environment::connections() const {
    std::vector<std::shared_ptr<Connection>> out;
    for (const auto& weak : connections_)
        if (auto c = weak.lock(); c && c->isOpen()) out.push_back(c);
    return out;
}

void Environment::beginTrans() {
    if (inTransaction_)
        throw EngineError(err::kInvalidOperation, QStringLiteral("A transaction is already open on this environment."));
    auto open = connections();
    for (auto& c : open) c->link()->begin();
    inTransaction_ = true;
}

void Environment::commitTrans() {
    if (!inTransaction_) throw EngineError(err::kNoTransaction);
    inTransaction_ = false;
    // Every connection is ended even when one fails; the first failure is reported.
    std::optional<EngineError> first;
    for (auto& c : connections()) {
        try {
            c->link()->commit();
        } catch (const EngineError& e) {
            if (!first) first = e;
        }
    }
    if (first) throw *first;
}

void Environment::rollbackTrans() {
    if (!inTransaction_) throw EngineError(err::kNoTransaction);
    inTransaction_ = false;
    std::optional<EngineError> first;
    for (auto& c : connections()) {
        try {
            c->link()->rollback();
        } catch (const EngineError& e) {
            if (!first) first = e;
        }
    }
    if (first) throw *first;
}

void Environment::close() {
    for (auto& c : connections()) c->close();
    connections_.clear();
    inTransaction_ = false;
}

}  // namespace veranth::engine::direct
