#include "cli/engine_commands.h"

#include "engine/conversions.h"
#include "engine/dbengine.h"
#include "engine/errors.h"
#include "engine/field_type.h"
#include "engine/schema.h"

namespace veranth::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;

int Usage(EngineCommandContext& ctx, const QString& text) {
    ctx.err << "veranth-cli: use: " << text << Qt::endl;
    return kExitUsage;
}

// The workspace of the command line's login: the default one ("admin"), or the user given.
std::shared_ptr<engine::Workspace> Login(EngineCommandContext& ctx) {
    const CliOptions& o = ctx.options;
    if (!o.systemDb.isEmpty()) ctx.engine.setSystemDB(o.systemDb);
    if (o.user.isEmpty() && o.systemDb.isEmpty()) return ctx.engine.defaultWorkspace();
    auto workspace = ctx.engine.createWorkspace(QStringLiteral("MainWS"), o.user.isEmpty() ? QStringLiteral("admin") : o.user, o.password);
    ctx.engine.workspaces().append(workspace);
    return workspace;
}

std::shared_ptr<engine::Database> OpenTarget(EngineCommandContext& ctx, std::shared_ptr<engine::Workspace> workspace) {
    if (ctx.options.database.isEmpty() && ctx.options.connect.isEmpty())
        throw engine::EngineError::withDescription(engine::err::kInvalidArgument,
                                                   QStringLiteral("No database given: use --database NAME (or --connect for ODBC)."));
    return workspace->openDatabase(ctx.options.database, false, ctx.options.readOnly, ctx.options.connect);
}

// Null is an empty field; tabs and line breaks inside a value would break the columns, so they
// are written as \t, \n and \r (and a backslash as \\).
QString CellText(const engine::Value& value) {
    if (value.isNull() || value.isEmpty()) return QString();
    QString text = engine::toText(value);
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    text.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return text;
}

void PrintRows(EngineCommandContext& ctx, engine::Recordset& rs) {
    const int columns = rs.fields().count();
    QStringList header;
    for (int c = 0; c < columns; ++c) header.append(rs.field(c)->name());
    ctx.out << header.join(QLatin1Char('\t')) << '\n';
    for (; !rs.eof(); rs.moveNext()) {
        QStringList cells;
        for (int c = 0; c < columns; ++c) cells.append(CellText(rs.fieldValue(c)));
        ctx.out << cells.join(QLatin1Char('\t')) << '\n';
    }
    ctx.out.flush();
}

QString IndexFlags(const engine::Index& index) {
    QStringList flags;
    if (index.primary()) flags.append(QStringLiteral("Primary"));
    if (index.unique()) flags.append(QStringLiteral("Unique"));
    if (index.ignoreNulls()) flags.append(QStringLiteral("IgnoreNulls"));
    return flags.join(QStringLiteral(", "));
}

// Runs `body` on the command line's database, inside a transaction that is rolled back at the
// end for --dry-run.
template <class F>
int WithDatabase(EngineCommandContext& ctx, F&& body) {
    auto workspace = Login(ctx);
    auto database = OpenTarget(ctx, workspace);
    if (!ctx.options.dryRun) {
        body(*database);
        database->close();
        return kExitOk;
    }
    workspace->beginTrans();
    try {
        body(*database);
    } catch (...) {
        workspace->rollback();
        throw;
    }
    workspace->rollback();
    ctx.out << "(dry run: every change was rolled back)" << Qt::endl;
    database->close();
    return kExitOk;
}

}  // namespace

int SqlCommand(EngineCommandContext& ctx) {
    if (ctx.options.arguments.isEmpty()) return Usage(ctx, QStringLiteral("sql STATEMENT..."));
    return WithDatabase(ctx, [&](engine::Database& db) {
        for (const QString& statement : ctx.options.arguments) {
            try {
                db.execute(statement, engine::exec_option::kFailOnError);
                ctx.out << db.recordsAffected() << " row(s) affected" << Qt::endl;
            } catch (const engine::EngineError& e) {
                if (e.number() != engine::err::kCannotExecuteSelect) throw;
                auto rs = db.openRecordset(statement, engine::RecordsetType::ForwardOnly);
                PrintRows(ctx, *rs);
                rs->close();
            }
        }
    });
}

int TablesCommand(EngineCommandContext& ctx) {
    const QStringList& args = ctx.options.arguments;
    if (args.size() > 1 || (args.size() == 1 && args[0] != QLatin1String("--system"))) return Usage(ctx, QStringLiteral("tables [--system]"));
    const bool system = !args.isEmpty();
    return WithDatabase(ctx, [&](engine::Database& db) {
        auto& tables = db.tableDefs();
        for (int i = 0; i < tables.count(); ++i) {
            const auto table = tables.item(i);
            if (table->isSystem() && !system) continue;
            if (table->isAttached()) ctx.out << table->name() << " -> " << table->connect().section(QLatin1Char(';'), 0, 0) << '\n';
            else ctx.out << table->name() << '\n';
        }
    });
}

int QueriesCommand(EngineCommandContext& ctx) {
    if (!ctx.options.arguments.isEmpty()) return Usage(ctx, QStringLiteral("queries"));
    return WithDatabase(ctx, [&](engine::Database& db) {
        auto& queries = db.queryDefs();
        for (int i = 0; i < queries.count(); ++i) {
            const auto query = queries.item(i);
            ctx.out << query->name() << '\t' << engine::queryTypeName(query->type()) << '\n';
        }
    });
}

int FieldsCommand(EngineCommandContext& ctx) {
    if (ctx.options.arguments.size() != 1) return Usage(ctx, QStringLiteral("fields TABLE"));
    return WithDatabase(ctx, [&](engine::Database& db) {
        auto table = db.tableDefs().item(ctx.options.arguments[0]);
        auto& fields = table->fields();
        for (int i = 0; i < fields.count(); ++i) {
            const auto field = fields.item(i);
            ctx.out << field->name() << '\t' << engine::fieldTypeName(field->type()) << '\t' << field->size() << '\n';
        }
    });
}

int IndexesCommand(EngineCommandContext& ctx) {
    if (ctx.options.arguments.size() != 1) return Usage(ctx, QStringLiteral("indexes TABLE"));
    return WithDatabase(ctx, [&](engine::Database& db) {
        auto table = db.tableDefs().item(ctx.options.arguments[0]);
        auto& indexes = table->indexes();
        for (int i = 0; i < indexes.count(); ++i) {
            const auto index = indexes.item(i);
            ctx.out << index->name() << '\t' << index->fields() << '\t' << IndexFlags(*index) << '\n';
        }
    });
}

int CreateCommand(EngineCommandContext& ctx) {
    if (ctx.options.arguments.size() != 1) return Usage(ctx, QStringLiteral("create FILE"));
    auto db = ctx.engine.createDatabase(ctx.options.arguments[0]);
    ctx.out << "Created " << db->name() << Qt::endl;
    db->close();
    return kExitOk;
}

int CompactCommand(EngineCommandContext& ctx) {
    const QStringList& args = ctx.options.arguments;
    if (args.isEmpty() || args.size() > 2) return Usage(ctx, QStringLiteral("compact SOURCE [DEST]"));
    const QString destination = args.size() == 2 ? args[1] : args[0];
    ctx.engine.compactDatabase(args[0], destination);
    ctx.out << "Compacted " << args[0] << (args.size() == 2 ? QStringLiteral(" into ") + destination : QString()) << Qt::endl;
    return kExitOk;
}

int RepairCommand(EngineCommandContext& ctx) {
    if (ctx.options.arguments.size() != 1) return Usage(ctx, QStringLiteral("repair FILE"));
    const auto report = ctx.engine.repairDatabase(ctx.options.arguments[0]);
    if (!report.wasDamaged) {
        ctx.out << ctx.options.arguments[0] << " is sound; nothing was changed." << Qt::endl;
        return kExitOk;
    }
    ctx.out << "Repaired " << ctx.options.arguments[0] << ": " << report.tablesRecovered.size() << " table(s), " << report.rowsRecovered
            << " row(s) recovered." << Qt::endl;
    for (const QString& line : report.lost) ctx.out << "Lost: " << line << Qt::endl;
    return kExitOk;
}

int WorkgroupCommand(EngineCommandContext& ctx) {
    const QStringList& args = ctx.options.arguments;
    if (args.size() == 2 && args[0] == QLatin1String("create")) {
        ctx.engine.createWorkgroup(args[1]);
        ctx.out << "Created workgroup " << args[1] << " with the user admin (empty password)" << Qt::endl;
        return kExitOk;
    }
    if (args.size() == 4 && args[0] == QLatin1String("add-user")) {
        ctx.engine.setWorkgroupUser(args[1], args[2], args[3]);
        ctx.out << "User " << args[2] << " set in " << args[1] << Qt::endl;
        return kExitOk;
    }
    return Usage(ctx, QStringLiteral("workgroup create FILE | workgroup add-user FILE NAME PASSWORD"));
}

int DbPasswordCommand(EngineCommandContext& ctx) {
    const QStringList& args = ctx.options.arguments;
    if (args.size() != 2) return Usage(ctx, QStringLiteral("db-password FILE NEW"));
    // The present password, if any, comes as the connect string ";pwd=OLD".
    QString old;
    const qsizetype at = ctx.options.connect.indexOf(QLatin1String("pwd="), 0, Qt::CaseInsensitive);
    if (at >= 0) old = ctx.options.connect.mid(at + 4).section(QLatin1Char(';'), 0, 0);
    ctx.engine.setDatabasePassword(args[0], old, args[1]);
    ctx.out << (args[1].isEmpty() ? "Database password removed from " : "Database password set on ") << args[0] << Qt::endl;
    return kExitOk;
}

}  // namespace veranth::cli
