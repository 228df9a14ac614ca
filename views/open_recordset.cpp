#include "views/open_recordset.h"

#include "db/session.h"

namespace veranth::views {

void ViewTable(db::Session&, const QString&) {}

void ViewQuery(db::Session&, const QString&, bool) {}

}  // namespace veranth::views
