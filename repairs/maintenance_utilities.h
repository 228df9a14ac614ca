#pragma once

#include "repairs/utility_frame.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace veranth::db {
class Session;
}

// The maintenance items of the Veranth menu: reference counters added, retired tables cleaned
// out of the catalogue, and a workstation's logged-on mark cleared.
namespace veranth::repairs {

// `AddCounters`: unless a counter ID of `target` or more exists, adds `howMany` counters after the
// highest one, each as its block of 256 NewCounters rows. Inside the caller's transaction when
// `inCallerTransaction`, else in one of its own. True when done or when there was nothing to do.
UtilityResult AddCounters(db::Session& session, std::int16_t howMany, bool inCallerTransaction,
                          std::optional<std::int16_t> target = std::nullopt);

// "Update Counters V30": AddCounters(50, False, 200) and its completion or failure message.
UtilityResult UpdateCountersV30(db::Session& session);

// `CleanDBTable`: the table's rows of the database's table catalogue deleted (those of `version`
// only, when it is above 0) and the table dropped when asked, in one transaction.
UtilityResult CleanDBTable(db::Session& session, const QString& table, float version, bool dropTable);

// "Clean DB Tables": every retired table in turn, then "Completed DB Table Clean". The result is
// the last table's failure, if any failed.
UtilityResult CleanDBTables(db::Session& session);

// "Clear Connection": the workstation's Corvane user marked as logged off in the main and the
// local database of the site, after a question naming the user.
UtilityResult ClearConnection(db::Session& session);

// The files Clear Connection opens on a site whose databases are files.
QString ClearConnectionLocalPath();
QString ClearConnectionMainPath();

}  // namespace veranth::repairs
