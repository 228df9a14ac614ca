#include "views/view_window_factory.h"

#include "db/status.h"
#include "views/data_control_window.h"
#include "views/data_grid_window.h"
#include "views/dyna_snap_window.h"

#include <QPointer>
#include <QTimer>

namespace veranth::views {
namespace {

// Views that have no window of their own yet show in the field form, and the status line says so
// once the opener has reset it to "Ready".
QWidget* FieldFormInstead(db::Session& session, const db::RecordsetWindowRequest& request, const QString& view) {
    auto* window = new FrmDynaSnap(session, request.recordset);
    QTimer::singleShot(0, window, [&session, view] {
        db::ShowStatus(session, view + QStringLiteral(" view is not in this build: shown in the field form"));
    });
    return window;
}

}  // namespace

QWidget* CreateRecordsetWindow(db::Session& session, const db::RecordsetWindowRequest& request) {
    if (!request.recordset) return nullptr;
    switch (request.kind) {
    case db::ViewWindowKind::DynaSnap: return new FrmDynaSnap(session, request.recordset);
    case db::ViewWindowKind::TableObj: return FieldFormInstead(session, request, QStringLiteral("The table"));
    case db::ViewWindowKind::DataControl: return new FrmDataControl(session, request.recordset, request.parameterized);
    case db::ViewWindowKind::DataGrid: return new FrmDataGrid(session, request.recordset);
    }
    return nullptr;
}

}  // namespace veranth::views
