#include "views/open_recordset.h"

#include "db/error_report.h"
#include "db/session.h"
#include "db/status.h"
#include "engine/errors.h"
#include "engine/querydef.h"
#include "engine/schema.h"
#include "views/name_helpers.h"

namespace veranth::views {
namespace {

using db::RecordsetType;
using db::ViewWindowKind;
using engine::EngineError;
using platform::MessageResult;

// The toolbar's recordset-type buttons: exactly one is pressed, the current type's.
void PressRecordsetTypeButton(db::Session& session) {
    for (const auto& [key, type] : {std::pair{"Table", RecordsetType::Table}, std::pair{"Dynaset", RecordsetType::Dynaset},
                                    std::pair{"Snapshot", RecordsetType::Snapshot}, std::pair{"PassThrough", RecordsetType::PassThrough}})
        session.menus.SetChecked(QLatin1String(key), type == session.connection.recordsetType);
}

// A table-type recordset cannot be had here: asks to fall back to a dynaset, and on Yes makes
// Dynaset the current type with its button pressed. False when the user declines.
bool AcceptDynasetInstead(db::Session& session, const QString& question) {
    session.Prompter().Beep();
    if (session.Prompter().Ask(question) != MessageResult::Yes) return false;
    session.connection.recordsetType = RecordsetType::Dynaset;
    PressRecordsetTypeButton(session);
    return true;
}

engine::RecordsetType EngineOpenType(RecordsetType type) {
    switch (type) {
    case RecordsetType::Table: return engine::RecordsetType::Table;
    case RecordsetType::Dynaset: return engine::RecordsetType::Dynaset;
    case RecordsetType::Snapshot:
    case RecordsetType::PassThrough: return engine::RecordsetType::Snapshot;
    }
    return engine::RecordsetType::Dynaset;
}

QString TableStatusText(bool attached, RecordsetType type) {
    if (attached) {
        if (type == RecordsetType::Dynaset) return QStringLiteral("Opening Attached Table as Dynaset");
        if (type == RecordsetType::Snapshot) return QStringLiteral("Opening Attached Table as Snapshot");
        return QString();
    }
    switch (type) {
    case RecordsetType::Table: return QStringLiteral("Opening Full Table");
    case RecordsetType::Dynaset: return QStringLiteral("Opening Single Table Dynaset");
    case RecordsetType::Snapshot: return QStringLiteral("Opening Single Table Snapshot");
    case RecordsetType::PassThrough: return QStringLiteral("Opening PassThru Snapshot");
    }
    return QString();
}

QString CaptionPrefix(RecordsetType type) {
    switch (type) {
    case RecordsetType::Table: return QStringLiteral("Table:");
    case RecordsetType::Dynaset: return QStringLiteral("Dynaset:");
    case RecordsetType::Snapshot: return QStringLiteral("Snapshot:");
    case RecordsetType::PassThrough: return QStringLiteral("Passthrough Snapshot:");
    }
    return QString();
}

ViewWindowKind WindowKindFor(db::ViewMode mode, bool tableType) {
    switch (mode) {
    case db::ViewMode::DataControl: return ViewWindowKind::DataControl;
    case db::ViewMode::Grid: return ViewWindowKind::DataGrid;
    case db::ViewMode::FieldForm: break;
    }
    return tableType ? ViewWindowKind::TableObj : ViewWindowKind::DynaSnap;
}

bool IsTableAttached(db::Session& session, const QString& tableName) {
    if (session.connection.dataType != QLatin1String(db::kAccessDataType)) return false;
    const int attributes = session.database->tableDefs().item(tableName)->attributes();
    return (attributes & (engine::table_attr::kAttached | engine::table_attr::kAttachedOdbc)) != 0;
}

// A stored query shows in a view when it yields rows; everything else runs as an action first.
bool StoredQueryReturnsRows(engine::QueryDef& query) {
    const int type = query.type();
    if (type == engine::query_type::kPassThrough) return query.returnsRecords();
    return type == engine::query_type::kSelect || type == engine::query_type::kCrossTab;
}

void SetBusy(db::Session& session, bool busy) { session.Status().SetBusy(busy); }

// Runs the action; true when the text turned out to be a select after all (3065, 3078), which
// is then opened as a recordset instead.
bool ExecuteAction(db::Session& session, engine::QueryDef& query, const QString& typeName) {
    SetBusy(session, false);
    if (!typeName.isEmpty() &&
        session.Prompter().Ask(QStringLiteral("Execute ") + typeName + QStringLiteral(" Query?")) != MessageResult::Yes)
        return false;
    AskParameterValues(session, query);
    SetBusy(session, true);
    db::ShowStatus(session, QStringLiteral("Executing Query"), true);
    try {
        query.execute();
    } catch (const EngineError& e) {
        if (e.number() == engine::err::kCannotExecuteSelect || e.number() == engine::err::kInputTableNotFound) return true;
        throw;
    }
    if (session.database->recordsAffected() > 0 && session.connection.inTransaction) session.connection.pendingChanges = true;
    SetBusy(session, false);
    db::ShowStatus(session, QString());
    return false;
}

void OpenQueryInView(db::Session& session, engine::QueryDef& query) {
    SetBusy(session, true);
    std::shared_ptr<engine::Recordset> recordset;
    if (query.type() == engine::query_type::kPassThrough) {
        db::ShowStatus(session, QStringLiteral("Opening PassThru Snapshot"), true);
        recordset = query.openRecordset(engine::RecordsetType::Snapshot, engine::rs_option::kSqlPassThrough);
    } else if (session.connection.recordsetType == RecordsetType::Snapshot) {
        db::ShowStatus(session, QStringLiteral("Opening Query Snapshot"), true);
        recordset = query.openRecordset(engine::RecordsetType::Snapshot);
    } else {
        db::ShowStatus(session, QStringLiteral("Opening Query Dynaset"), true);
        recordset = query.openRecordset(engine::RecordsetType::Dynaset);
    }
    SetBusy(session, false);

    db::RecordsetWindowRequest request;
    request.kind = WindowKindFor(session.connection.viewMode, false);
    if (request.kind == ViewWindowKind::DataControl) request.parameterized = query.parameters().count() > 0;
    request.recordset = std::move(recordset);
    request.caption = query.sql().size() <= 50 ? query.sql() : QStringLiteral("SQL Statement");
    session.Windows().ShowRecordsetWindow(request);
    db::ShowStatus(session, QString());
}

}  // namespace

void ViewTable(db::Session& session, const QString& tableName) {
    if (!session.database) return;
    db::Guarded(session, [&] {
        db::ConnectionState& c = session.connection;
        const bool attached = IsTableAttached(session, tableName);
        if (attached && c.recordsetType == RecordsetType::Table &&
            !AcceptDynasetInstead(session, QStringLiteral("Can't Open a Table Object on an Attached Table, Use Dynaset?")))
            return;
        const RecordsetType type = c.recordsetType;
        db::ShowStatus(session, TableStatusText(attached, type), true);

        SetBusy(session, true);
        const int options = type == RecordsetType::PassThrough ? engine::rs_option::kSqlPassThrough : 0;
        db::RecordsetWindowRequest request;
        request.recordset = session.database->openRecordset(tableName, EngineOpenType(type), options);
        SetBusy(session, false);

        request.kind = WindowKindFor(c.viewMode, type == RecordsetType::Table);
        request.caption = CaptionPrefix(type) + tableName;
        session.Windows().ShowRecordsetWindow(request);
        db::ShowStatus(session, QString());
    });
}

void ViewQuery(db::Session& session, const QString& nameOrSql, bool isSqlText) {
    if (!session.database) return;
    db::Guarded(session, [&] {
        std::shared_ptr<engine::QueryDef> query;
        QString typeName;
        bool returnsRows = false;
        if (isSqlText) {
            query = session.database->createQueryDef(QString(), nameOrSql);
        } else {
            query = session.database->queryDefs().item(nameOrSql);
            typeName = QueryKindName(query->type());
            returnsRows = StoredQueryReturnsRows(*query);
        }

        if (returnsRows) {
            if (session.connection.recordsetType == RecordsetType::Table &&
                !AcceptDynasetInstead(session, QStringLiteral("Can't Open a Table Object from a QueryDef, Use Dynaset?")))
                return;
            AskParameterValues(session, *query);
        } else if (!ExecuteAction(session, *query, typeName)) {
            return;
        }
        OpenQueryInView(session, *query);
    });
}

void AskParameterValues(db::Session& session, engine::QueryDef& queryDef) {
    db::Guarded(session, [&] {
        for (const auto& parameter : queryDef.parameters()) {
            const std::optional<QString> answer = session.Prompter().Input(
                {QStringLiteral("Enter Value for Parameter:"), QLatin1Char('\'') + parameter->name() + QStringLiteral("':"), QString()});
            parameter->setValue(engine::Value(answer.value_or(QString())));
        }
    });
}

}  // namespace veranth::views
