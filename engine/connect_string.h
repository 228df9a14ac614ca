#pragma once

#include <QString>

namespace veranth::engine {

// The value of KEY in a connect string such as ";pwd=secret" or "ODBC;DSN=x;UID=y",
// the key matched without regard to case; empty when absent.
QString connectValue(const QString& connect, const QString& key);
// The text before the first ';' ("ODBC", "dBase IV", or "" for a native file).
QString connectPrefix(const QString& connect);

}  // namespace veranth::engine
