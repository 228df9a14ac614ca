#pragma once

namespace veranth::engine::isam {

// The characters of bytes 0x80-0xFF of a single-byte code page (437, 850, 852, 866,
// 1250-1254); nullptr for a page without a table.
const char16_t* upperHalfOf(int codePage);

}  // namespace veranth::engine::isam
