#pragma once

#include <QString>
#include <vector>

namespace veranth::db {

// One item of the main window's menus or toolbar, as the window is designed: its given name (the
// objectName), the name of the menu it sits in (empty for a top-level menu, "tlbToolBar" for a
// toolbar button), its caption with the access key, and its state when the window loads.
struct MenuItemDef {
    const char* name;
    const char* parent;
    const char* caption;
    bool visible = true;
    bool enabled = true;
    // The feature the item leads to, for the message an item of a later build gives.
    const char* feature = "";
    bool IsSeparator() const { return caption[0] == '-' && caption[1] == '\0'; }
};

// Every menu and toolbar item of the main window, in display order.
const std::vector<MenuItemDef>& MainMenuTree();

// The Corvane repair items: shown exactly while the open database is a Corvane main database.
const std::vector<QString>& RepairItemNames();

// The toolbar buttons of the two choice groups and the transaction buttons.
inline constexpr auto kToolbarName = "tlbToolBar";

// "mnuDBMRU(3)", the name of recent item k.
QString RecentItemName(int k);
inline constexpr int kRecentItemCount = 8;

}  // namespace veranth::db
