#pragma once

#include <QString>
#include <optional>

class QTextStream;

namespace veranth::cli {

// Reads one line from `in` after showing `prompt` on `err`; when standard input is a terminal the
// typed text is not echoed. nullopt at end of input.
std::optional<QString> ReadSecretLine(QTextStream& in, QTextStream& err, const QString& prompt);

}  // namespace veranth::cli
