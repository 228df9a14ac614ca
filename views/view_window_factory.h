#pragma once

#include "db/shell_windows.h"

class QWidget;

namespace veranth::db {
class Session;
}

namespace veranth::views {

// The view window a request asks for, owning its recordset; null when this build has no such window.
QWidget* CreateRecordsetWindow(db::Session& session, const db::RecordsetWindowRequest& request);

}  // namespace veranth::views
