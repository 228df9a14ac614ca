#include "app/settings.h"

#include "app/toolbar.h"
#include "db/menu_tree.h"
#include "db/recent_list.h"
#include "db/session.h"
#include "engine/conversions.h"
#include "platform/settings_store.h"

namespace veranth::app {
namespace {

using db::RecordsetType;
using db::ViewMode;

// Number values are the leading numeric part of the text, as Val reads it.
double Number(const db::Session& session, const char* key, const char* defaultText) {
    return engine::val(session.Store().GetUserSetting(QLatin1String(key), QLatin1String(defaultText)));
}

QString Text(const db::Session& session, const char* key, const char* defaultText = "") {
    return session.Store().GetUserSetting(QLatin1String(key), QLatin1String(defaultText));
}

void Save(db::Session& session, const char* key, const QString& value) { session.Store().SaveUserSetting(QLatin1String(key), value); }

}  // namespace

WindowPlacement RestoreWindowPlacement(const db::Session& session) {
    WindowPlacement placement;
    placement.state = static_cast<int>(Number(session, "WindowState", "2"));
    if (placement.state == 1) placement.state = 0;
    if (placement.state != 0) return placement;
    placement.left = Number(session, "WindowLeft", "0");
    placement.top = Number(session, "WindowTop", "0");
    placement.width = Number(session, "WindowWidth", "9135");
    placement.height = Number(session, "WindowHeight", "6900");
    return placement;
}

void LoadSettings(db::Session& session) {
    db::ConnectionState& c = session.connection;
    c.queryTimeout = static_cast<int>(Number(session, "QueryTimeout", "15"));
    c.loginTimeout = static_cast<int>(Number(session, "LoginTimeout", "20"));
    session.preferences.openOnStartup = Number(session, "OpenOnStartup", "0") != 0;
    session.preferences.allowSys = Number(session, "AllowSys", "0") != 0;
    c.dataType = Text(session, "DataType");
    c.databaseName = Text(session, "DatabaseName");

    const double viewMode = Number(session, "ViewMode", "1");
    if (viewMode == 0 || viewMode == 1 || viewMode == 2) c.viewMode = static_cast<ViewMode>(static_cast<int>(viewMode));
    const double recordsetType = Number(session, "RecordsetType", "1");
    if (recordsetType == 0 || recordsetType == 1 || recordsetType == 2 || recordsetType == 8)
        c.recordsetType = static_cast<RecordsetType>(static_cast<int>(recordsetType));

    session.Yield()();
    PressChoiceButtons(session);
}

void SaveSettings(db::Session& session, const WindowPlacement& current) {
    const db::ConnectionState& c = session.connection;
    const auto saveChoices = [&] {
        Save(session, "ViewMode", QString::number(static_cast<int>(c.viewMode)));
        Save(session, "RecordsetType", QString::number(static_cast<int>(c.recordsetType)));
    };
    Save(session, "DataType", c.dataType);
    Save(session, "DatabaseName", c.databaseName);
    Save(session, "ODBCDatasource", c.odbcDatasource);
    Save(session, "ODBCDatabase", c.odbcDatabase);
    Save(session, "ODBCUserName", c.odbcUserName);
    Save(session, "ODBCPassword", QString());
    Save(session, "ODBCDriver", c.odbcDriver);
    Save(session, "ODBCServer", c.odbcServer);
    Save(session, "QueryTimeout", QString::number(c.queryTimeout));
    Save(session, "LoginTimeout", QString::number(c.loginTimeout));
    saveChoices();
    Save(session, "OpenOnStartup", session.preferences.openOnStartup ? QStringLiteral("-1") : QStringLiteral("0"));
    Save(session, "AllowSys", session.preferences.allowSys ? QStringLiteral("-1") : QStringLiteral("0"));
    // The whole list is written from memory, shown or not, so entries are never lost at exit.
    for (int k = 1; k <= db::kRecentItemCount; ++k) {
        const QString name = db::RecentName(session, k);
        session.Store().SaveUserSetting(QStringLiteral("MRUDatabase%1").arg(k), name);
        session.Store().SaveUserSetting(QStringLiteral("MRUConnect%1").arg(k),
                                        name.isEmpty() ? QString() : session.menus.Tag(db::RecentItemName(k)));
    }
    Save(session, "WindowState", QString::number(current.state));
    if (current.state == 0) {
        Save(session, "WindowTop", platform::FormatSettingNumber(current.top));
        Save(session, "WindowLeft", platform::FormatSettingNumber(current.left));
        Save(session, "WindowWidth", platform::FormatSettingNumber(current.width));
        Save(session, "WindowHeight", platform::FormatSettingNumber(current.height));
    }
    saveChoices();
}

}  // namespace veranth::app
