#pragma once

#include <QString>

namespace veranth::views {

// `CutAttachSuffix`: "Orders -> ODBC" (how the tree lists an attached table) gives "Orders".
QString CutAttachSuffix(const QString& name);
// `BracketName`: a name with a blank is bracketed so it can stand in criteria and SQL.
QString BracketName(const QString& name);
// `UnbracketName`: "[Last Name]" gives "Last Name".
QString UnbracketName(const QString& name);
// `FieldPartOfName`: "Clients.Name" gives "Name".
QString FieldPartOfName(const QString& name);
// `QueryKindName`: the display name of a query definition's Type; empty for selects (0 to 15).
QString QueryKindName(int queryType);

}  // namespace veranth::views
