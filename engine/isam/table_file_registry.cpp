#include "engine/isam/table_file_registry.h"

#include <QFileInfo>

namespace veranth::engine::isam {

namespace {
QString keyOf(const QString& path) {
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
}
}  // namespace

std::shared_ptr<TableFile> TableFileRegistry::open(const QString& path, bool readOnly,
                                                   const std::function<std::shared_ptr<TableFile>()>& openFile) {
    const QString key = keyOf(path);
    auto it = open_.find(key);
    if (it != open_.end()) {
        // A file opened for reading only is opened again when someone wants to write.
        if (auto file = it->file.lock(); file && (readOnly || !it->readOnly)) return file;
    }
    auto file = openFile();
    open_.insert(key, Entry{file, readOnly});
    return file;
}

void TableFileRegistry::forget(const QString& path) {
    const QString key = keyOf(path);
    if (auto it = open_.find(key); it != open_.end()) {
        if (auto file = it->file.lock()) file->flush();
        open_.erase(it);
    }
}

void TableFileRegistry::flushFolder(const QString& folder) {
    const QString prefix = keyOf(folder) + QLatin1Char('/');
    for (auto it = open_.begin(); it != open_.end(); ++it)
        if (it.key().startsWith(prefix))
            if (auto file = it->file.lock()) file->flush();
}

}  // namespace veranth::engine::isam
