#pragma once

#include "engine/errors.h"

#include <QString>

#include <cstdint>

// The errors of the file drivers. Each names the file, and the field and record where there
// is one, so a user can find the fault in the file another program wrote.
namespace veranth::engine::isam {

// 3343: the file is not in the format it claims, or is cut short.
EngineError malformedFile(const QString& path, const QString& fault);
// 3421: a stored value that is not a value of its field ("2004-13-45" in a date field).
EngineError badStoredValue(const QString& path, const QString& field, std::int64_t record, const QString& fault);
// 3163: a value that the field cannot hold as it is (too long, too many digits).
EngineError valueDoesNotFit(const QString& path, const QString& field, const QString& fault);
// 3251: the format cannot do this at all.
EngineError notSupportedBy(const QString& format, const QString& what);
// 3026: the disk refused a write (full, gone, no permission).
EngineError writeFailed(const QString& path, const QString& why);

}  // namespace veranth::engine::isam
