#include "engine/isam/dbf_language_driver.h"

namespace veranth::engine::isam {

namespace {
struct Driver {
    std::uint8_t id;
    int codePage;
};
// The first entry for a page is the one written.
constexpr Driver kDrivers[] = {
    {0x03, 1252}, {0x57, 1252}, {0x58, 1252}, {0x59, 1252}, {0x01, 437}, {0x1B, 437}, {0x02, 850},
    {0x37, 850},  {0x64, 852},  {0x65, 866},  {0x26, 866},  {0xC8, 1250}, {0xC9, 1251}, {0xCB, 1253},
    {0xCA, 1254},
};
}  // namespace

std::optional<CodePage> codePageOfLanguageDriver(std::uint8_t driver) {
    for (const auto& d : kDrivers)
        if (d.id == driver) return CodePage::byNumber(d.codePage);
    return std::nullopt;
}

std::uint8_t languageDriverOf(const CodePage& page, bool foxPro) {
    if (page.number() == 1252) return foxPro ? 0x03 : 0x57;
    for (const auto& d : kDrivers)
        if (d.codePage == page.number()) return d.id;
    return 0;
}

}  // namespace veranth::engine::isam
