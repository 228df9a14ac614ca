#include "repairs/database_id.h"

#include "db/corvane_databases.h"
#include "db/session.h"
#include "engine/conversions.h"
#include "engine/database.h"
#include "engine/dbengine.h"
#include "engine/errors.h"
#include "engine/field.h"
#include "engine/recordset.h"
#include "engine/tabledef.h"
#include "repairs/sql_text.h"

#include <cmath>
#include <limits>

namespace veranth::repairs {

namespace {

using platform::MessageButtons;
using platform::MessageIcon;

const QString kInvalidId = QStringLiteral("You must enter a valid Database ID!");

UtilityResult InvalidId(db::Session& session) {
    session.Prompter().Message({kInvalidId, QStringLiteral("Database Warning!"), MessageButtons::Ok, MessageIcon::Exclamation, 1});
    return UtilityResult::Failure(engine::err::kInvalidArgument, kInvalidId);
}

UtilityResult NoDatabase() { return UtilityResult::Failure(91, QStringLiteral("No database is open.")); }

UtilityResult FailureOf(const std::exception& e) {
    const auto [number, description] = ErrorOf(e);
    return UtilityResult::Failure(number, description);
}

bool IsOdbc(const engine::Database& db) { return db.connect().startsWith(QLatin1String("ODBC"), Qt::CaseInsensitive); }

void CheckAbort(db::Session& session, const AbortRequest& abort) {
    session.Yield()();
    if (abort.requested) throw engine::EngineError(engine::err::kCancelled);
}

// Every reference column of every table of one database, rewritten from the old ID to the new.
void ConvertReferences(db::Session& session, engine::Database& db, std::int32_t oldId, std::int32_t newBase, const AbortRequest& abort) {
    const QString old = QString::number(oldId);
    const QString length = QString::number(old.size());
    auto& tables = db.tableDefs();
    for (int t = 0; t < tables.count(); ++t) {
        const auto table = tables.item(t);
        // The engine's own catalogue tables hold no references of the firm's.
        if (table->isSystem()) continue;
        const QString name = SqlName(table->name());
        auto& fields = table->fields();
        for (int c = 0; c < fields.count(); ++c) {
            const auto field = fields.item(c);
            if (!IsReferenceColumn(*field)) continue;
            const QString column = SqlName(field->name());
            db.execute(QStringLiteral("UPDATE ") + name + QStringLiteral(" SET ") + column + QStringLiteral(" = ") +
                       QString::number(newBase) + QStringLiteral(" + (") + column + QStringLiteral(" - (") + old +
                       QStringLiteral(" * 1000000))") + QStringLiteral(" WHERE LEFT(FORMAT(") + column + QStringLiteral("),") + length +
                       QStringLiteral(") = ") + old + QStringLiteral(" AND LEN(FORMAT(") + column + QStringLiteral(")) - ") + length +
                       QStringLiteral(" = 6"));
        }
        session.Engine().idle(engine::dbengine_idle::kRefreshCache);
        CheckAbort(session, abort);
    }
}

UtilityResult ConvertOnJet(db::Session& session, std::int16_t newId, const AbortRequest& abort) {
    std::shared_ptr<engine::Database> letters, ctp;
    const auto closeCompanions = [&] {
        for (auto* db : {&letters, &ctp}) {
            try {
                if (*db) (*db)->close();
            } catch (...) {
            }
            db->reset();
        }
    };
    try {
        TransactionScope transaction(UtilityWorkspace(session));
        try {
            engine::Database& main = *session.database;
            auto rs = main.openRecordset(QStringLiteral("SELECT BranchID FROM SystemOptions"), engine::RecordsetType::Snapshot);
            if (rs->eof()) throw engine::EngineError(engine::err::kNoCurrentRecord);
            const std::int32_t oldId = engine::toLong(rs->fieldValue(0));
            rs->close();
            const std::int32_t newBase = MakeReference(newId, 0);

            ConvertReferences(session, main, oldId, newBase, abort);
            // Companions are opened inside the transaction so they join it; one that cannot be
            // opened is skipped.
            for (auto& [name, db] : {std::pair<QString, std::shared_ptr<engine::Database>*>{QStringLiteral("SLettqor"), &letters},
                                     std::pair<QString, std::shared_ptr<engine::Database>*>{QStringLiteral("CTPqor"), &ctp}}) {
                if (!db::OpenSiblingDatabase(session, name, *db, true)) {
                    db->reset();
                    continue;
                }
                ConvertReferences(session, **db, oldId, newBase, abort);
            }
            main.execute(QStringLiteral("UPDATE SystemOptions SET BranchID = ") + QString::number(newId));
            transaction.Commit();
        } catch (...) {
            // Rolled back while the companions are still open, so their changes go with the rest.
            transaction.Rollback();
            throw;
        }
        closeCompanions();
        return UtilityResult::Ok();
    } catch (const std::exception& e) {
        closeCompanions();
        return FailureOf(e);
    }
}

// Rounds a number read from the text box to an integer of the given width; nullopt when it does
// not fit, which the window refuses.
template <class Int>
std::optional<Int> Rounded(double value) {
    const double r = engine::roundHalfEven(value);
    if (!std::isfinite(r) || r < std::numeric_limits<Int>::min() || r > std::numeric_limits<Int>::max()) return std::nullopt;
    return static_cast<Int>(r);
}

}  // namespace

std::int32_t LoadedDatabaseId(engine::Database& db) {
    try {
        auto rs = db.openRecordset(QStringLiteral("SELECT BranchId FROM SystemOptions"), engine::RecordsetType::ForwardOnly);
        const std::int32_t id = rs->eof() ? 0 : engine::toLong(rs->fieldValue(0));
        rs->close();
        return id;
    } catch (const std::exception&) {
        return 0;
    }
}

bool IsReferenceColumn(const engine::Field& field) {
    const QString& name = field.name();
    if (name.compare(QLatin1String("PRINTEDBY"), Qt::CaseInsensitive) == 0) return true;
    return field.type() == engine::FieldType::Long && name.right(3).compare(QLatin1String("REF"), Qt::CaseInsensitive) == 0;
}

UtilityResult ChangeDatabaseID(db::Session& session, std::int32_t newId) {
    if (newId <= 0) return InvalidId(session);
    if (!session.database) return NoDatabase();
    try {
        TransactionScope transaction(UtilityWorkspace(session));
        engine::Database& db = *session.database;
        db.execute(QStringLiteral("UPDATE SystemOptions SET BranchID = ") + QString::number(newId),
                   IsOdbc(db) ? engine::exec_option::kSqlPassThrough : 0);
        transaction.Commit();
        return UtilityResult::Ok();
    } catch (const std::exception& e) {
        return FailureOf(e);
    }
}

UtilityResult ConvertDatabaseID(db::Session& session, std::int16_t newId, const AbortRequest& abort) {
    if (!session.database) return NoDatabase();
    // A native file opened with its password carries ";pwd=..." as its connect string: it is still
    // a file, converted in one transaction, and only an ODBC source is a server.
    if (IsOdbc(*session.database))
        return UtilityResult::Failure(engine::err::kNotSupported,
                                      QStringLiteral("Converting the database ID of a SQL Server database needs the direct "
                                                     "connection layer, which this build does not have; nothing was changed."));
    return ConvertOnJet(session, newId, abort);
}

QString DatabaseIdCaption(DatabaseIdMode mode) {
    return mode == DatabaseIdMode::Change ? QStringLiteral("Change Database ID") : QStringLiteral("Convert Database ID and References");
}

UtilityResult DatabaseIdOk(db::Session& session, DatabaseIdMode mode, const QString& text, std::int32_t currentId, AbortRequest& abort) {
    abort.requested = false;
    const double value = engine::val(text);
    if (value == static_cast<double>(currentId)) return UtilityResult::DeclinedRun();

    session.Status().SetBusy(true);
    const QString warning = QStringLiteral("\r\rPlease be aware that this can cause serious corruption to your database if not set "
                                           "correctly.\r\rContinue ?");
    const QString first = mode == DatabaseIdMode::Change
                              ? QStringLiteral("You are about to change the database ID for this database.")
                              : QStringLiteral("You are about to change the database ID for this database, and convert all "
                                               "existing references to use the new ID.");
    UtilityResult result = UtilityResult::DeclinedRun();
    if (session.Prompter().Message({first + warning, QStringLiteral("Database ID Change"), MessageButtons::YesNo,
                                    MessageIcon::Exclamation, 2}) == platform::MessageResult::Yes) {
        if (mode == DatabaseIdMode::Change) {
            const auto id = Rounded<std::int32_t>(value);
            result = id ? ChangeDatabaseID(session, *id) : InvalidId(session);
        } else {
            // References are formed in 32 bits, so only IDs 1 to 32767 are taken; the conversion
            // itself refuses those whose references would not fit.
            const auto id = Rounded<std::int16_t>(value);
            result = id && *id > 0 ? ConvertDatabaseID(session, *id, abort) : InvalidId(session);
        }
    }
    session.Status().SetBusy(false);
    if (result.failed())
        session.Prompter().Message({QStringLiteral("The change to the database was NOT successful."), QStringLiteral("Database Change"),
                                    MessageButtons::Ok, MessageIcon::Critical, 1});
    abort.requested = false;
    return result;
}

UtilityResult DatabaseIdFromPrompts(db::Session& session, DatabaseIdMode mode, AbortRequest& abort) {
    if (!session.database) return NoDatabase();
    const std::int32_t current = LoadedDatabaseId(*session.database);
    const std::optional<QString> text =
        session.Prompter().Input({QStringLiteral("Database ID"), DatabaseIdCaption(mode), QString::number(current)});
    if (!text) return UtilityResult::DeclinedRun();
    return DatabaseIdOk(session, mode, *text, current, abort);
}

}  // namespace veranth::repairs
