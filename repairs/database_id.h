#pragma once

#include "repairs/utility_frame.h"

#include <QString>

#include <cstdint>

namespace veranth::engine {
class Database;
class Field;
}  // namespace veranth::engine

namespace veranth::db {
class Session;
}

// Changing the database ID, and converting it together with every reference that embeds it.
namespace veranth::repairs {

// mdl_DBID's DBType: what OK does.
enum class DatabaseIdMode : int { Change = 0, Convert = 1 };

// The abort request Cancel sets while a conversion runs; it lives as long as the program.
struct AbortRequest {
    bool requested = false;
};

// The database ID as the window loads it: SystemOptions' first BranchId, 0 when it cannot be read.
std::int32_t LoadedDatabaseId(engine::Database& db);

// A reference column: PRINTEDBY of any type, or a 32-bit integer column whose name ends in "REF",
// both without regard to case.
bool IsReferenceColumn(const engine::Field& field);

// The change operation: the new ID written into SystemOptions in one transaction. IDs of 0 or less
// are refused with "You must enter a valid Database ID!".
UtilityResult ChangeDatabaseID(db::Session& session, std::int32_t newId);

// The conversion: the new ID written and every reference of the old ID rewritten to carry it,
// across the main database and its letters and CTP databases in one transaction.
UtilityResult ConvertDatabaseID(db::Session& session, std::int16_t newId, const AbortRequest& abort);

// The OK button of mdl_DBID after it has disabled itself and cleared the abort request: reads the
// text as a number, asks, runs the mode's operation, and reports a failure. Declined when the ID
// is unchanged or the answer is No.
UtilityResult DatabaseIdOk(db::Session& session, DatabaseIdMode mode, const QString& text, std::int32_t currentId,
                           AbortRequest& abort);

// The window's inputs without the window, in the order it asks for them (the command line): the
// new ID through an input box that starts with the current one, then OK.
UtilityResult DatabaseIdFromPrompts(db::Session& session, DatabaseIdMode mode, AbortRequest& abort);

// The window's caption for a mode.
QString DatabaseIdCaption(DatabaseIdMode mode);

}  // namespace veranth::repairs
