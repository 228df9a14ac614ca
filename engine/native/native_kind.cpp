#include "engine/native/native_kind.h"

#include "engine/engine_context.h"
#include "engine/errors.h"
#include "engine/native/file_names.h"
#include "engine/native/native_database.h"
#include "engine/native/sqlite_db.h"

#include <QFileInfo>

namespace veranth::engine::native {

namespace {

// Files up to this size are checked page by page when first opened, so damage is met at
// the open (where the program offers a repair) rather than in the middle of some later
// read; for larger files the check would make every open slow.
constexpr qint64 kCheckedAtOpenBytes = 32 * 1024 * 1024;

void checkForDamage(Connection& connection, const QString& path) {
    if (QFileInfo(path).size() > kCheckedAtOpenBytes) return;
    Statement check = connection.prepare(QStringLiteral("PRAGMA quick_check(1)"));
    if (check.step() && check.text(0) != QLatin1String("ok"))
        throw EngineError(err::kDamagedDatabase, path, QStringLiteral("Repairing the database may recover it."));
}

}  // namespace

std::shared_ptr<Database> NativeKind::open(const std::shared_ptr<EngineContext>& context, const QString& name, bool,
                                           bool readOnly, const QString& connect) {
    const QString path = resolveDatabaseFile(name);
    if (path.isEmpty()) throw EngineError(err::kFileNotFound, name);
    requireNativeFile(path, path);
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const bool firstOpen = !context->files->isOpen(canonical);
    auto file = context->files->open(canonical, readOnly);
    if (firstOpen) checkForDamage(file->connection(), path);
    return NativeDatabase::open(context, file, path, connect, readOnly);
}

}  // namespace veranth::engine::native
