#include "engine/sql/engine_error.h"

namespace veranth::engine::sql {

EngineError toEngineError(const SqlSyntaxError& error) {
    return EngineError::withDescription(error.errorNumber(), error.message());
}

}  // namespace veranth::engine::sql
