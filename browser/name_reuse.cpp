#include "browser/name_reuse.h"

#include "db/error_report.h"
#include "db/session.h"
#include "db/status.h"
#include "engine/errors.h"

namespace veranth::browser {

bool ConfirmNameReuse(db::Session& session, const QString& name) {
    if (!session.database) return false;
    try {
        engine::Database& database = *session.database;
        // Collections look names up without regard to case.
        if (auto table = database.tableDefs().find(name)) {
            if (session.Prompter().Ask(QStringLiteral("Table already exists, Delete it?")) != platform::MessageResult::Yes) return true;
            database.tableDefs().remove(table->name());
            return false;
        }
        if (session.connection.dataType == QLatin1String(db::kAccessDataType)) {
            if (auto query = database.queryDefs().find(name)) {
                if (session.Prompter().Ask(QStringLiteral("QueryDef already exists, Delete it?")) != platform::MessageResult::Yes) return true;
                database.queryDefs().remove(query->name());
            }
        }
    } catch (const engine::EngineError& e) {
        db::ShowError(session, e);
    }
    return false;
}

bool SaveStatementAsQuery(db::Session& session, const QString& sql) {
    if (!session.database || sql.trimmed().isEmpty()) return false;
    db::ShowStatus(session, QString());
    const std::optional<QString> typed = session.Prompter().Input({QStringLiteral("Enter QueryDef Name:"), QStringLiteral("Veranth"), QString()});
    const QString name = typed ? typed->trimmed() : QString();
    if (name.isEmpty() || ConfirmNameReuse(session, name)) return false;
    try {
        session.database->createQueryDef(name, sql);
    } catch (const engine::EngineError& e) {
        db::ShowError(session, e);
        return false;
    }
    return true;
}

}  // namespace veranth::browser
