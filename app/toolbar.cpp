#include "app/toolbar.h"

#include "db/session.h"

namespace veranth::app {
namespace {

using db::RecordsetType;
using db::ViewMode;

struct ViewButton {
    const char* key;
    ViewMode mode;
};
struct TypeButton {
    const char* key;
    RecordsetType type;
};
constexpr ViewButton kViewButtons[] = {{"DataControl", ViewMode::DataControl}, {"NoDataControl", ViewMode::FieldForm}, {"DBGrid", ViewMode::Grid}};
constexpr TypeButton kTypeButtons[] = {{"Table", RecordsetType::Table},
                                       {"Dynaset", RecordsetType::Dynaset},
                                       {"Snapshot", RecordsetType::Snapshot},
                                       {"PassThrough", RecordsetType::PassThrough}};

}  // namespace

void PressChoiceButtons(db::Session& session) {
    for (const ViewButton& b : kViewButtons) session.menus.SetChecked(QLatin1String(b.key), b.mode == session.connection.viewMode);
    for (const TypeButton& b : kTypeButtons) session.menus.SetChecked(QLatin1String(b.key), b.type == session.connection.recordsetType);
}

bool ApplyToolbarChoice(db::Session& session, const QString& key) {
    for (const ViewButton& b : kViewButtons) {
        if (key == QLatin1String(b.key)) {
            session.connection.viewMode = b.mode;
            PressChoiceButtons(session);
            return true;
        }
    }
    for (const TypeButton& b : kTypeButtons) {
        if (key == QLatin1String(b.key)) {
            session.connection.recordsetType = b.type;
            PressChoiceButtons(session);
            return true;
        }
    }
    return false;
}

}  // namespace veranth::app
