#pragma once

#include <QString>

namespace veranth::db {

class Session;

// `ShowStatus`: panel 1 of the status bar. An empty message shows "Ready" and puts the pointer
// back to normal; a busy one gets ", please wait..." after it (the caller sets the busy pointer).
void ShowStatus(Session& session, const QString& message, bool busy = false);

// The text panel 1 shows for a message.
QString StatusText(const QString& message, bool busy);

}  // namespace veranth::db
