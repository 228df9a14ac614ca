#pragma once

#include <QString>

namespace veranth::db {
class Session;
}

namespace veranth::app {

// Presses the toolbar button of the current view mode and of the current recordset type, and
// releases the others of each group.
void PressChoiceButtons(db::Session& session);

// A click on one of the choice buttons (Table, Dynaset, Snapshot, PassThrough, DataControl,
// NoDataControl, DBGrid) takes its choice. Returns false for any other key.
bool ApplyToolbarChoice(db::Session& session, const QString& key);

}  // namespace veranth::app
