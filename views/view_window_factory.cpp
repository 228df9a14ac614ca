#include "views/view_window_factory.h"

#include "views/data_control_window.h"
#include "views/data_grid_window.h"
#include "views/dyna_snap_window.h"
#include "views/table_obj_window.h"

namespace veranth::views {

QWidget* CreateRecordsetWindow(db::Session& session, const db::RecordsetWindowRequest& request) {
    if (!request.recordset) return nullptr;
    switch (request.kind) {
    case db::ViewWindowKind::DynaSnap: return new FrmDynaSnap(session, request.recordset);
    case db::ViewWindowKind::TableObj: return new FrmTableObj(session, request.recordset);
    case db::ViewWindowKind::DataControl: return new FrmDataControl(session, request.recordset, request.parameterized);
    case db::ViewWindowKind::DataGrid: return new FrmDataGrid(session, request.recordset);
    }
    return nullptr;
}

}  // namespace veranth::views
