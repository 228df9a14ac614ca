#pragma once

#include <QString>
#include <QStringList>

namespace veranth::platform {

// The program writes dialog filters as "Description|pattern|Description|pattern" (patterns joined
// by ';'); Qt wants "Description (pattern pattern);;...". Returns one Qt filter per pair.
QStringList ConvertFileFilter(const QString& filter);

}  // namespace veranth::platform
