#pragma once

#include "cli/options.h"

#include <QTextStream>

namespace veranth::engine {
class DBEngine;
}
namespace veranth::platform {
class ScriptedPrompter;
}

namespace veranth::cli {

// `run UTILITY` and `run --list`: a repair utility on the --database file (Clear Connection on the
// site's own files), its messages printed as "[title] text" and its questions answered from
// --answer. With --dry-run the whole run is rolled back and the rows it changed are listed per
// table. Returns the exit status.
int RunUtilityCommand(const CliOptions& options, QTextStream& out, QTextStream& err, platform::ScriptedPrompter& prompter,
                      engine::DBEngine& engine);

}  // namespace veranth::cli
