#pragma once

class QWidget;

namespace veranth::db {
class Session;
}

namespace veranth::browser {

// The four settings that keep a child window's placement, in twips, with their defaults.
struct PlacementKeys {
    const char* top;
    const char* left;
    const char* width;
    const char* height;
    const char* topDefault;
    const char* leftDefault;
    const char* widthDefault;
    const char* heightDefault;
};

// Placement of a child window of the main window's area: `window` is the child, its frame (the
// area's sub-window, when it has one) is what moves. Stored values that cannot be read fall back
// to the defaults; a minimised or maximised window stores nothing.
void RestoreChildPlacement(db::Session& session, QWidget* window, const PlacementKeys& keys);
void SaveChildPlacement(db::Session& session, QWidget* window, const PlacementKeys& keys);

}  // namespace veranth::browser
