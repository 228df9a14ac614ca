#pragma once

#include "engine/database_kind.h"

#include <memory>
#include <vector>

namespace veranth::engine::isam {

// The kinds of database this engine reads from files other than its own: the DBF family
// ("dBase III;" ... "FoxPro 3.0;"), text files ("Text;"), and Btrieve, which is named so
// that opening it gives the clean "installable ISAM not found" (3170).
std::vector<std::shared_ptr<DatabaseKind>> builtInIsamKinds();

}  // namespace veranth::engine::isam
