#include "engine/odbc/odbc_kind.h"

#include "engine/odbc/odbc_database.h"

namespace veranth::engine::odbc {

bool OdbcKind::handles(const QString& connectPrefix) const {
    return connectPrefix.trimmed().compare(QLatin1String("ODBC"), Qt::CaseInsensitive) == 0;
}

std::shared_ptr<Database> OdbcKind::open(const std::shared_ptr<EngineContext>& context, const QString& name,
                                         bool noPrompt, bool readOnly, const QString& connect) {
    QString text = withoutOdbcPrefix(connect);
    if (!name.trimmed().isEmpty() && !namesSource(text))
        text = QStringLiteral("DSN=") + name.trimmed() + QLatin1Char(';') + text;
    ConnectOptions options;
    options.loginTimeout = loginTimeout_;
    options.readOnly = readOnly;
    if (!noPrompt) options.prompt = prompt_;
    return OdbcDatabase::open(context, text, options);
}

std::shared_ptr<OdbcKind> odbcKindOf(const EngineContext& context) {
    for (auto it = context.kinds.rbegin(); it != context.kinds.rend(); ++it)
        if (auto kind = std::dynamic_pointer_cast<OdbcKind>(*it)) return kind;
    return nullptr;
}

}  // namespace veranth::engine::odbc
