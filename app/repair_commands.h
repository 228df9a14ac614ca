#pragma once

#include <QHash>
#include <QString>
#include <functional>

class QWidget;

namespace veranth::db {
class Session;
}

namespace veranth::app {

using CommandTable = QHash<QString, std::function<void()>>;

// The items of the Veranth menu: each runs its utility on the current database.
void RegisterRepairCommands(CommandTable& commands, db::Session& session, QWidget* mainWindow);

}  // namespace veranth::app
