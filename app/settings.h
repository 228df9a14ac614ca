#pragma once

namespace veranth::db {
class Session;
}

namespace veranth::app {

// The main window's placement as the store keeps it: state 0 normal, 1 minimised, 2 maximised;
// position and size in twips.
struct WindowPlacement {
    int state = 2;
    double left = 0, top = 0, width = 9135, height = 6900;
};

// The placement to restore at load: a stored minimised state opens normal, and the position is
// read only for a normal window.
WindowPlacement RestoreWindowPlacement(const db::Session& session);

// `LoadSettings`: the time-outs, preferences, last database, view mode and recordset type; then the
// toolbar buttons of the two choices are pressed.
void LoadSettings(db::Session& session);

// `SaveSettings`, as the program ends. The ODBC password is written empty: nothing reads it back,
// and the application's SQL Server password must not sit in a user's file in plain text.
void SaveSettings(db::Session& session, const WindowPlacement& current);

}  // namespace veranth::app
