#include "db/recent_list.h"

#include "db/menu_tree.h"
#include "db/session.h"

namespace veranth::db {
namespace {

QString Caption(int k, const QString& name) { return QStringLiteral("&%1 %2").arg(k).arg(name); }

void SetEntry(Session& session, int k, const QString& name, const QString& tag) {
    const QString item = RecentItemName(k);
    session.menus.SetCaption(item, name.isEmpty() ? QStringLiteral("&%1").arg(k) : Caption(k, name));
    session.menus.SetTag(item, tag);
}

}  // namespace

QString RecentName(const Session& session, int k) { return session.menus.Caption(RecentItemName(k)).mid(3); }

void LoadRecentList(Session& session) {
    for (int k = 1; k <= kRecentItemCount; ++k) {
        const QString name = session.Store().GetUserSetting(QStringLiteral("MRUDatabase%1").arg(k), QString());
        const QString tag = session.Store().GetUserSetting(QStringLiteral("MRUConnect%1").arg(k), QString());
        SetEntry(session, k, name, name.isEmpty() ? QString() : tag);
    }
}

void ShowRecentList(Session& session) {
    bool any = false;
    for (int k = 1; k <= kRecentItemCount; ++k) {
        const bool named = !RecentName(session, k).isEmpty();
        session.menus.SetVisible(RecentItemName(k), named);
        any = any || named;
    }
    if (any) session.menus.SetVisible(QStringLiteral("mnuBarMRU"), true);
}

void AddToRecentList(Session& session, const QString& connect) {
    const QString current = session.connection.databaseName;
    int found = kRecentItemCount;  // not found: item 8's entry falls off the end
    for (int k = 1; k <= kRecentItemCount; ++k) {
        if (RecentName(session, k).toUpper() == current.toUpper()) {
            found = k;
            break;
        }
    }
    for (int k = found - 1; k >= 1; --k)
        SetEntry(session, k + 1, RecentName(session, k), session.menus.Tag(RecentItemName(k)));
    SetEntry(session, 1, current, connect.isEmpty() ? QLatin1String(kAccessDataType) : connect);

    if (session.passwordAccepted) {
        ShowRecentList(session);
    } else {
        // Before the support password the rest of the list stays out of sight: only the database
        // just opened is offered again.
        session.menus.SetVisible(QStringLiteral("mnuBarMRU"), true);
        session.menus.SetVisible(RecentItemName(1), true);
    }
}

}  // namespace veranth::db
