#pragma once

#include <QStringList>

class QTextStream;

namespace veranth::cli {

// Runs one command line (without the program name) and returns the exit status. Output goes to
// `out`, diagnostics to `err`; secrets are read from `in` when no --answer supplies them.
int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err, QTextStream& in);

}  // namespace veranth::cli
