#pragma once

#include "engine/isam/code_page.h"

#include <cstdint>
#include <optional>

namespace veranth::engine::isam {

// The code page a DBF header's language driver byte names; nullopt for 0 (none given) and
// for drivers of pages this engine has no table for.
std::optional<CodePage> codePageOfLanguageDriver(std::uint8_t driver);
// The byte written for a code page in new tables (0 when the page has none, as for UTF-8,
// which then travels in a .cpg file).
std::uint8_t languageDriverOf(const CodePage& page, bool foxPro);

}  // namespace veranth::engine::isam
