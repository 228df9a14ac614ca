#include "engine/isam/isam_errors.h"

#include <QFileInfo>

namespace veranth::engine::isam {

namespace {
QString fileName(const QString& path) { return QFileInfo(path).fileName(); }
}  // namespace

EngineError malformedFile(const QString& path, const QString& fault) {
    return EngineError::withDescription(err::kUnrecognizedFormat,
                                        QStringLiteral("Cannot read '%1': %2.").arg(fileName(path), fault));
}

EngineError badStoredValue(const QString& path, const QString& field, std::int64_t record, const QString& fault) {
    return EngineError::withDescription(
        err::kConversionError,
        QStringLiteral("Record %1 of '%2' holds a bad value in field '%3': %4.").arg(record + 1).arg(fileName(path), field, fault));
}

EngineError valueDoesNotFit(const QString& path, const QString& field, const QString& fault) {
    return EngineError::withDescription(err::kFieldTooSmall,
                                        QStringLiteral("The field '%1' of '%2' cannot hold the value: %3.").arg(field, fileName(path), fault));
}

EngineError notSupportedBy(const QString& format, const QString& what) {
    return EngineError(err::kNotSupported, QStringLiteral("%1 cannot %2.").arg(format, what));
}

EngineError writeFailed(const QString& path, const QString& why) {
    return EngineError::withDescription(err::kDiskFull, QStringLiteral("Could not write '%1': %2.").arg(fileName(path), why));
}

}  // namespace veranth::engine::isam
