#include "engine/engine_info.h"

#include <sqlite3.h>

namespace veranth::engine {

QString EngineVersion() {
    return QStringLiteral("Veranth engine 0.1 on SQLite %1").arg(QString::fromLatin1(sqlite3_libversion()));
}

}  // namespace veranth::engine
