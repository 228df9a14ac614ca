#include "engine/native/shared_file.h"

#include "engine/errors.h"

namespace veranth::engine::native {

void SharedFile::beforeWrite() {
    // readRest() may unregister the reader, so walk a copy.
    const auto readers = readers_;
    for (const auto& [reader, _] : readers) reader->readRest();
}

void SharedFile::beginLevel() {
    beforeWrite();
    ++level_;
    connection_->exec(QStringLiteral("SAVEPOINT veranth_level_%1").arg(level_));
}

void SharedFile::commitLevel() {
    if (level_ == 0) throw EngineError(err::kNoTransaction);
    connection_->exec(QStringLiteral("RELEASE veranth_level_%1").arg(level_));
    --level_;
}

void SharedFile::rollbackLevel() {
    if (level_ == 0) throw EngineError(err::kNoTransaction);
    beforeWrite();
    connection_->exec(QStringLiteral("ROLLBACK TO veranth_level_%1").arg(level_));
    connection_->exec(QStringLiteral("RELEASE veranth_level_%1").arg(level_));
    --level_;
    schemaChanged();  // a rolled-back level may have held DDL
}

QString SharedFile::attach(const QString& canonicalPath) {
    if (auto it = attached_.constFind(canonicalPath); it != attached_.constEnd()) return *it;
    if (level_ > 0)
        throw EngineError(err::kInvalidOperation,
                          QStringLiteral("The file '%1' of an attached table cannot be joined while a transaction is open.")
                              .arg(canonicalPath));
    const QString alias = QStringLiteral("attached_%1").arg(attached_.size() + 1);
    Statement s = connection_->prepare(QStringLiteral("ATTACH DATABASE ? AS %1").arg(quoteName(alias)));
    s.bindText(1, canonicalPath);
    s.step();
    attached_.insert(canonicalPath, alias);
    return alias;
}

BridgedDatabase& SharedFile::bridge(const QString& key, const std::function<std::shared_ptr<Database>()>& open) {
    auto& bridged = bridges_[key];
    if (!bridged) bridged = std::make_unique<BridgedDatabase>(*connection_, open(), static_cast<int>(bridges_.size()));
    return *bridged;
}

BridgedDatabase* SharedFile::bridgeOfSchema(const QString& schema) {
    for (auto& [key, bridged] : bridges_)
        if (bridged && bridged->schema() == schema) return bridged.get();
    return nullptr;
}

std::shared_ptr<SharedFile> FileRegistry::open(const QString& canonicalPath, bool readOnly) {
    if (auto existing = files_.value(canonicalPath).lock()) {
        if (readOnly || !existing->connection().isReadOnly()) return existing;
        // A read-only connection cannot serve a writer: the writer gets its own.
        auto file = std::make_shared<SharedFile>(Connection::open(canonicalPath, false, false));
        files_.insert(canonicalPath, file);
        return file;
    }
    auto file = std::make_shared<SharedFile>(Connection::open(canonicalPath, readOnly, false));
    files_.insert(canonicalPath, file);
    return file;
}

bool FileRegistry::isOpen(const QString& canonicalPath) const { return !files_.value(canonicalPath).expired(); }

}  // namespace veranth::engine::native
