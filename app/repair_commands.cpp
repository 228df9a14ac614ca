#include "app/repair_commands.h"

#include "db/session.h"
#include "platform/prompter.h"
#include "platform/site_profile.h"
#include "repairs/time_fees.h"

namespace veranth::app {

void RegisterRepairCommands(CommandTable& commands, db::Session& session, QWidget*) {
    commands.insert(QStringLiteral("mnu_ChangeDBID(1)"), [&session] {
        // Converting the database ID is offered only where the site asks for it, in exactly this case.
        if (platform::ReadSiteSetting(QStringLiteral("Customise"), QStringLiteral("AllowConvertDBID")) != QLatin1String("True"))
            return;
        session.Prompter().Inform(QStringLiteral("Convert Database ID is not available in this build."), QStringLiteral("Veranth"),
                                  platform::MessageIcon::Information);
    });
    commands.insert(QStringLiteral("mnu_DU_TimeFeeCharges"), [&session] { repairs::TimeFeeChargesCommand(session); });
}

}  // namespace veranth::app
