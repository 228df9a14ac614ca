#include "engine/engine_context.h"

#include "engine/connect_string.h"

namespace veranth::engine {

std::shared_ptr<DatabaseKind> EngineContext::kindFor(const QString& connect) const {
    const QString prefix = connectPrefix(connect);
    for (auto it = kinds.rbegin(); it != kinds.rend(); ++it)
        if ((*it)->handles(prefix)) return *it;
    if (prefix.compare(QStringLiteral("ODBC"), Qt::CaseInsensitive) == 0)
        throw EngineError(err::kOdbcConnectionFailed, connectValue(connect, QStringLiteral("DSN")));
    throw EngineError(err::kIsamNotFound, prefix);
}

}  // namespace veranth::engine
