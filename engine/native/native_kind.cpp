#include "engine/native/native_kind.h"

#include "engine/engine_context.h"
#include "engine/errors.h"
#include "engine/native/file_names.h"
#include "engine/native/native_database.h"

#include <QFileInfo>

namespace veranth::engine::native {

std::shared_ptr<Database> NativeKind::open(const std::shared_ptr<EngineContext>& context, const QString& name, bool,
                                           bool readOnly, const QString& connect) {
    const QString path = resolveDatabaseFile(name);
    if (path.isEmpty()) throw EngineError(err::kFileNotFound, name);
    requireNativeFile(path, path);
    auto file = context->files->open(QFileInfo(path).canonicalFilePath(), readOnly);
    return NativeDatabase::open(context, file, path, connect, readOnly);
}

}  // namespace veranth::engine::native
