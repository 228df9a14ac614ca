#pragma once

#include <functional>

namespace veranth::db {
class Session;
}

namespace veranth::app {

// The Veranth menu's "&Display" item: shows the password window (which answers `PWD_Correct`)
// and, when it was right, shows the File menu's open and new submenus and the recent list for the
// rest of the run. A wrong password shows nothing and leaves the item for another try.
void RunSupportPasswordGate(db::Session& session, const std::function<bool()>& showPasswordWindow);

}  // namespace veranth::app
