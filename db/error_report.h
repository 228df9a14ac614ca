#pragma once

#include <QStringList>

namespace veranth::engine {
class EngineError;
}

namespace veranth::db {

class Session;

// Numbers of failures the program raises itself.
namespace program_error {
inline constexpr int kDialogCancelled = 32755;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kPathNotFound = 76;
}  // namespace program_error

// `ShowError`: the standard message for a failed command. When the engine's Errors collection
// holds this very error as its first item, the message offers to show the collection.
void ShowError(Session& session, const engine::EngineError& error);
// The same for a failure that is not an EngineError (a file error, a bug): its text is shown
// under a program error number, and the collection is never offered.
void ShowError(Session& session, const std::exception& error);

// The lines of the errors window: Number TAB Source TAB Description, item 0 first.
QStringList EngineErrorLines(Session& session);

// `ShowEngineErrors`: fills and shows the errors window, or says there is nothing to show.
void ShowEngineErrors(Session& session);

// Runs a command the way every handler does: any failure ends it with ShowError.
template <class F>
void Guarded(Session& session, F&& command);

}  // namespace veranth::db

#include "db/error_report_inl.h"
