#include "app/repair_commands.h"

#include "db/session.h"
#include "platform/site_profile.h"
#include "repairs/database_id_window.h"
#include "repairs/maintenance_utilities.h"
#include "repairs/time_fees.h"

#include <memory>

namespace veranth::app {

void RegisterRepairCommands(CommandTable& commands, db::Session& session, QWidget* mainWindow) {
    // Cancel in mdl_DBID asks a running conversion to stop; the request outlives each window.
    auto abort = std::make_shared<repairs::AbortRequest>();
    const auto showDatabaseId = [&session, mainWindow, abort](repairs::DatabaseIdMode mode) {
        repairs::MdlDBID window(session, mode, *abort, mainWindow);
        window.exec();
    };
    commands.insert(QStringLiteral("mnu_ChangeDBID(0)"), [showDatabaseId] { showDatabaseId(repairs::DatabaseIdMode::Change); });
    commands.insert(QStringLiteral("mnu_ChangeDBID(1)"), [showDatabaseId] {
        // Converting the database ID is offered only where the site asks for it, in exactly this case.
        if (platform::ReadSiteSetting(QStringLiteral("Customise"), QStringLiteral("AllowConvertDBID")) != QLatin1String("True"))
            return;
        showDatabaseId(repairs::DatabaseIdMode::Convert);
    });
    commands.insert(QStringLiteral("mnu_DU_TimeFeeCharges"), [&session] { repairs::TimeFeeChargesCommand(session); });
    commands.insert(QStringLiteral("mnu_DU_CounterUPD"), [&session] { repairs::UpdateCountersV30(session); });
    commands.insert(QStringLiteral("MNU_DU_CleanDBTables"), [&session] { repairs::CleanDBTables(session); });
    commands.insert(QStringLiteral("mnu_DU_ClearConn"), [&session] { repairs::ClearConnection(session); });
}

}  // namespace veranth::app
