#include "db/status.h"

#include "db/session.h"

namespace veranth::db {

QString StatusText(const QString& message, bool busy) {
    if (message.isEmpty()) return QStringLiteral("Ready");
    return busy ? message + QStringLiteral(", please wait...") : message;
}

void ShowStatus(Session& session, const QString& message, bool busy) {
    if (message.isEmpty()) session.Status().SetBusy(false);
    session.Status().SetPanelText(1, StatusText(message, busy));
}

}  // namespace veranth::db
