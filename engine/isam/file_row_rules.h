#pragma once

#include "engine/isam/table_file.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace veranth::engine::isam {

// What a write to a table file must obey besides the field rules: the unique and primary
// indexes of the side catalogue (3022, 3314), and counters for auto-increment fields still
// Null. `self` is the record being changed, left out of the duplicate search.
void prepareFileRow(TableFile& file, std::vector<Value>& values, std::optional<std::int64_t> self);

}  // namespace veranth::engine::isam
