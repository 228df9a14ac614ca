#pragma once

#include <QString>

namespace veranth::engine {

// The engine's own version text, shown by `veranth-cli --version` beside the program's.
QString EngineVersion();

}  // namespace veranth::engine
