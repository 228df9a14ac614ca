#include "cli/run_command.h"

#include "db/session.h"
#include "engine/conversions.h"
#include "engine/dbengine.h"
#include "engine/errors.h"
#include "engine/index.h"
#include "engine/recordset.h"
#include "engine/tabledef.h"
#include "engine/workspace.h"
#include "platform/credentials.h"
#include "platform/paths.h"
#include "platform/scripted_prompter.h"
#include "platform/site_profile.h"
#include "repairs/database_id.h"
#include "repairs/maintenance_utilities.h"
#include "repairs/time_fees.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <cmath>
#include <functional>

namespace veranth::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

using repairs::UtilityResult;

struct Utility {
    const char* name;
    const char* caption;
    bool onCurrentDatabase;  // false: the utility opens the site's files itself
    std::function<UtilityResult(db::Session&, repairs::AbortRequest&)> run;
};

const std::vector<Utility>& Utilities() {
    static const std::vector<Utility> utilities = {
        {"change-db-id", "Change Database ID", true,
         [](db::Session& s, repairs::AbortRequest& a) { return repairs::DatabaseIdFromPrompts(s, repairs::DatabaseIdMode::Change, a); }},
        {"convert-db-id", "Convert Database ID", true,
         [](db::Session& s, repairs::AbortRequest& a) {
             // The menu offers the conversion only where the site allows it; so does the command line.
             if (platform::ReadSiteSetting(QStringLiteral("Customise"), QStringLiteral("AllowConvertDBID")) != QLatin1String("True"))
                 return UtilityResult::Failure(engine::err::kInvalidOperation,
                                               QStringLiteral("The site does not allow the conversion: [Customise] AllowConvertDBID "
                                                              "is not True in its QOR32.INI."));
             return repairs::DatabaseIdFromPrompts(s, repairs::DatabaseIdMode::Convert, a);
         }},
        {"time-fees", "Reset Time Fee Charges", true, [](db::Session& s, repairs::AbortRequest&) { return repairs::TimeFeeChargesCommand(s); }},
        {"update-counters", "Update Counters V30", true, [](db::Session& s, repairs::AbortRequest&) { return repairs::UpdateCountersV30(s); }},
        {"clean-tables", "Clean DB Tables", true, [](db::Session& s, repairs::AbortRequest&) { return repairs::CleanDBTables(s); }},
        {"clear-connection", "Clear Connection", false, [](db::Session& s, repairs::AbortRequest&) { return repairs::ClearConnection(s); }},
    };
    return utilities;
}

QString OneLine(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void PrintPrompt(QTextStream& out, const platform::PromptRecord& r) {
    using Kind = platform::PromptRecord::Kind;
    if (r.kind == Kind::Beep) return;
    out << '[' << r.title << "] " << OneLine(r.text);
    const bool question = r.kind != Kind::Message || r.buttons != platform::MessageButtons::Ok;
    if (question) out << " -> " << (r.answer.isEmpty() ? QStringLiteral("(no answer)") : r.answer);
    out << Qt::endl;
}

// What the site profile says about the Corvane databases, as the program reads it at start-up.
void LoadSite(db::Session& session) {
    const auto read = [](const char* key) { return platform::ReadSiteSetting(QStringLiteral("Database Paths"), QLatin1String(key)); };
    const double type = std::nearbyint(engine::val(read("Database Type")));
    session.site.siteDatabaseType = (type >= -32768 && type <= 32767) ? static_cast<int>(type) : 0;
    if (session.site.siteDatabaseType <= 0) return;
    session.site.siteDBExtension = read("DBExtension");
    session.site.credentials = platform::LoadApplicationCredentials(platform::SiteDirectory()).credentials;
    session.connection.odbcUserName = session.site.credentials.login;
    session.connection.odbcPassword = session.site.credentials.password;
}

std::shared_ptr<engine::Workspace> Login(const CliOptions& o, engine::DBEngine& engine) {
    if (!o.systemDb.isEmpty()) engine.setSystemDB(o.systemDb);
    if (o.user.isEmpty() && o.systemDb.isEmpty()) return engine.defaultWorkspace();
    auto workspace = engine.createWorkspace(QStringLiteral("MainWS"), o.user.isEmpty() ? QStringLiteral("admin") : o.user, o.password);
    engine.workspaces().append(workspace);
    return workspace;
}

// ---- What a dry run changed ---------------------------------------------------------------------

// One table's rows: by primary key where it has one, else as a multiset of whole rows. Rows are
// kept as hashes so a large file costs little memory.
struct TableRows {
    bool keyed = false;
    QHash<QString, size_t> byKey;
    QHash<size_t, int> counts;
};
using DatabaseRows = QMap<QString, TableRows>;

DatabaseRows Capture(engine::Database& db) {
    DatabaseRows rows;
    auto& tables = db.tableDefs();
    for (int t = 0; t < tables.count(); ++t) {
        const auto table = tables.item(t);
        if (table->isSystem() || table->isAttached()) continue;
        QStringList keyFields;
        auto& indexes = table->indexes();
        for (int i = 0; i < indexes.count(); ++i)
            if (indexes.item(i)->primary())
                for (QString part : indexes.item(i)->fields().split(QLatin1Char(';'), Qt::SkipEmptyParts))
                    keyFields.append(part.remove(QLatin1Char('+')).remove(QLatin1Char('-')).trimmed());
        TableRows& out = rows[table->name()];
        out.keyed = !keyFields.isEmpty();
        auto rs = db.openRecordset(QStringLiteral("SELECT * FROM [%1]").arg(table->name()), engine::RecordsetType::ForwardOnly);
        const int columns = rs->fields().count();
        std::vector<int> keyColumns;
        for (int c = 0; c < columns; ++c)
            if (keyFields.contains(rs->field(c)->name(), Qt::CaseInsensitive)) keyColumns.push_back(c);
        for (; !rs->eof(); rs->moveNext()) {
            QStringList cells;
            for (int c = 0; c < columns; ++c) {
                const engine::Value v = rs->fieldValue(c);
                cells.append(v.isNull() ? QStringLiteral("\x01") : engine::Value::typeName(v.type()) + QLatin1Char(':') + engine::toText(v));
            }
            const size_t hash = qHash(cells.join(QChar(0x1f)));
            if (out.keyed) {
                QStringList key;
                for (int c : keyColumns) key.append(cells[static_cast<size_t>(c)]);
                out.byKey.insert(key.join(QChar(0x1f)), hash);
            } else {
                ++out.counts[hash];
            }
        }
        rs->close();
    }
    return rows;
}

struct Change {
    qint64 added = 0, changed = 0, deleted = 0;
};

Change Compare(const TableRows& before, const TableRows& after) {
    Change c;
    if (before.keyed && after.keyed) {
        for (auto it = before.byKey.constBegin(); it != before.byKey.constEnd(); ++it) {
            const auto found = after.byKey.constFind(it.key());
            if (found == after.byKey.constEnd()) ++c.deleted;
            else if (*found != it.value()) ++c.changed;
        }
        for (auto it = after.byKey.constBegin(); it != after.byKey.constEnd(); ++it)
            if (!before.byKey.contains(it.key())) ++c.added;
        return c;
    }
    // Without a key a changed row shows as one row gone and one new; they are paired as changes.
    qint64 gone = 0, come = 0;
    for (auto it = before.counts.constBegin(); it != before.counts.constEnd(); ++it) gone += std::max(0, it.value() - after.counts.value(it.key()));
    for (auto it = after.counts.constBegin(); it != after.counts.constEnd(); ++it) come += std::max(0, it.value() - before.counts.value(it.key()));
    c.changed = std::min(gone, come);
    c.deleted = gone - c.changed;
    c.added = come - c.changed;
    return c;
}

void PrintChanges(QTextStream& out, const QString& label, const DatabaseRows& before, const DatabaseRows& after, bool& any) {
    for (auto it = before.constBegin(); it != before.constEnd(); ++it) {
        if (!after.contains(it.key())) {
            const qint64 rows = it->keyed ? it->byKey.size() : [&] {
                qint64 n = 0;
                for (int count : it->counts) n += count;
                return n;
            }();
            out << label << ": " << it.key() << ": table dropped (" << rows << " row(s))" << Qt::endl;
            any = true;
            continue;
        }
        const Change c = Compare(*it, after[it.key()]);
        const qint64 total = c.added + c.changed + c.deleted;
        if (total == 0) continue;
        out << label << ": " << it.key() << ": " << total << " row(s) affected (" << c.added << " added, " << c.changed << " changed, "
            << c.deleted << " deleted)" << Qt::endl;
        any = true;
    }
    for (auto it = after.constBegin(); it != after.constEnd(); ++it)
        if (!before.contains(it.key())) {
            out << label << ": " << it.key() << ": table created" << Qt::endl;
            any = true;
        }
}

// The files a utility may write: the current one and the Corvane files beside it, or the site's
// own files for Clear Connection. Held open through the dry run, so a utility that opens and closes
// one of them works inside the same transaction.
std::vector<std::pair<QString, std::shared_ptr<engine::Database>>> WatchedDatabases(engine::Workspace& workspace,
                                                                                   const std::shared_ptr<engine::Database>& current,
                                                                                   bool onCurrentDatabase) {
    std::vector<std::pair<QString, std::shared_ptr<engine::Database>>> watched;
    QStringList files;
    if (onCurrentDatabase && current) {
        watched.emplace_back(QFileInfo(current->name()).fileName(), current);
        if (current->connect().isEmpty() || current->connect().startsWith(QLatin1Char(';'))) {
            const QDir folder = QFileInfo(current->name()).absoluteDir();
            for (const char* sibling : {"SLettqor.mdb", "CTPqor.mdb"}) files.append(folder.filePath(QLatin1String(sibling)));
        }
    } else {
        files << repairs::ClearConnectionMainPath() + QStringLiteral(".mdb") << repairs::ClearConnectionLocalPath();
    }
    for (const QString& file : files) {
        if (!QFileInfo::exists(file)) continue;
        try {
            watched.emplace_back(QFileInfo(file).fileName(), workspace.openDatabase(file));
        } catch (const engine::EngineError&) {
            // A file that cannot be opened is one the utility cannot change either.
        }
    }
    return watched;
}

}  // namespace

int RunUtilityCommand(const CliOptions& options, QTextStream& out, QTextStream& err, platform::ScriptedPrompter& prompter,
                      engine::DBEngine& engine) {
    const QStringList& args = options.arguments;
    if (args == QStringList{QStringLiteral("--list")}) {
        for (const Utility& u : Utilities()) out << u.name << '\t' << u.caption << '\n';
        out.flush();
        return kExitOk;
    }
    const Utility* utility = nullptr;
    if (args.size() == 1)
        for (const Utility& u : Utilities())
            if (args[0] == QLatin1String(u.name)) utility = &u;
    if (!utility) {
        err << "veranth-cli: use: run UTILITY (one of:";
        for (const Utility& u : Utilities()) err << ' ' << u.name;
        err << ") or run --list" << Qt::endl;
        return kExitUsage;
    }

    platform::NullStatusSink status;
    db::Session session(engine, prompter, status, platform::SettingsStore());
    LoadSite(session);
    session.workspace = Login(options, engine);
    if (utility->onCurrentDatabase) {
        if (options.database.isEmpty() && options.connect.isEmpty())
            throw engine::EngineError::withDescription(engine::err::kInvalidArgument,
                                                       QStringLiteral("No database given: use --database NAME (or --connect for ODBC)."));
        session.database = session.workspace->openDatabase(options.database, false, options.readOnly, options.connect);
        session.connection.databaseOpen = true;
        session.connection.databaseName = session.database->name();
        session.connection.dataType = session.database->connect().startsWith(QLatin1String("ODBC"), Qt::CaseInsensitive)
                                          ? QLatin1String(db::kOdbcDataType)
                                          : QLatin1String(db::kAccessDataType);
    }
    prompter.SetObserver([&out](const platform::PromptRecord& r) { PrintPrompt(out, r); });

    repairs::AbortRequest abort;
    UtilityResult result;
    if (!options.dryRun) {
        result = utility->run(session, abort);
    } else {
        auto watched = WatchedDatabases(*session.workspace, session.database, utility->onCurrentDatabase);
        std::vector<DatabaseRows> before;
        for (auto& [label, db] : watched) before.push_back(Capture(*db));
        session.workspace->beginTrans();
        try {
            result = utility->run(session, abort);
            bool any = false;
            for (size_t i = 0; i < watched.size(); ++i) PrintChanges(out, watched[i].first, before[i], Capture(*watched[i].second), any);
            if (!any) out << "No rows would change." << Qt::endl;
        } catch (...) {
            session.workspace->rollback();
            throw;
        }
        session.workspace->rollback();
        out << "(dry run: every change was rolled back)" << Qt::endl;
        for (auto& [label, db] : watched)
            if (db != session.database && db->isOpen()) db->close();
    }
    prompter.SetObserver({});
    if (session.database && session.database->isOpen()) session.database->close();
    if (result.failed()) {
        err << "Error " << result.number << ": " << result.description << Qt::endl;
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace veranth::cli
