#pragma once

#include "engine/engine_context.h"
#include "engine/isam/table_file.h"
#include "engine/recordset.h"

#include <memory>

namespace veranth::engine::isam {

// A recordset on a table file, of the type and options asked for: snapshots and forward-only
// sets keep what they showed at open, the others read and write the file. `whyReadOnly`
// is the refusal a read-only set gives when asked to write.
std::shared_ptr<Recordset> openFileRecordset(const std::shared_ptr<EngineContext>& context, const std::shared_ptr<TableFile>& file,
                                             const QString& name, RecordsetType type, int options, bool readOnly,
                                             const QString& whyReadOnly);

// "SELECT * FROM t" (t bare or in brackets) names the table itself; empty for any other text.
QString tableOfPlainSelect(const QString& statement);

}  // namespace veranth::engine::isam
