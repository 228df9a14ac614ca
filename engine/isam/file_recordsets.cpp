#include "engine/isam/file_recordsets.h"

#include "engine/isam/file_backends.h"

#include <QRegularExpression>

namespace veranth::engine::isam {

std::shared_ptr<Recordset> openFileRecordset(const std::shared_ptr<EngineContext>& context, const std::shared_ptr<TableFile>& file,
                                             const QString& name, RecordsetType type, int options, bool readOnly,
                                             const QString& whyReadOnly) {
    readOnly = readOnly || (options & rs_option::kReadOnly);
    const RowSelection selection;
    const bool forwardOnly = type == RecordsetType::ForwardOnly || (options & rs_option::kForwardOnly);
    if (type == RecordsetType::Snapshot || forwardOnly) {
        auto backend = FileSnapshotBackend::open(file, selection, forwardOnly);
        return Recordset::open(forwardOnly ? RecordsetType::ForwardOnly : RecordsetType::Snapshot, name, backend, true, context->errors);
    }
    auto backend = std::make_shared<FileKeysetBackend>(file, selection, !readOnly, whyReadOnly);
    if (options & rs_option::kAppendOnly) backend->startEmpty();
    const RecordsetType actual = type == RecordsetType::Default ? RecordsetType::Table : type;
    return Recordset::open(actual, name, backend, readOnly, context->errors);
}

QString tableOfPlainSelect(const QString& statement) {
    static const QRegularExpression plain(
        QStringLiteral("^\\s*SELECT\\s+\\*\\s+FROM\\s+(?:\\[([^\\]]+)\\]|([^\\s\\[\\];]+))\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = plain.match(statement);
    if (!match.hasMatch()) return QString();
    return match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
}

}  // namespace veranth::engine::isam
