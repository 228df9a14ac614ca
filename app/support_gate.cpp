#include "app/support_gate.h"

#include "db/recent_list.h"
#include "db/session.h"

namespace veranth::app {

void RunSupportPasswordGate(db::Session& session, const std::function<bool()>& showPasswordWindow) {
    if (session.menus.Caption(QStringLiteral("mnu_DU_Display")) != QLatin1String("&Display")) return;
    const bool correct = showPasswordWindow();
    session.menus.SetVisible(QStringLiteral("mnuDBOpen"), correct);
    session.menus.SetVisible(QStringLiteral("mnuDBNew"), correct);
    if (!correct) return;
    session.passwordAccepted = true;
    session.menus.SetVisible(QStringLiteral("mnu_DU_Display"), false);
    session.menus.SetVisible(QStringLiteral("mnuUBar2"), false);
    db::ShowRecentList(session);
}

}  // namespace veranth::app
