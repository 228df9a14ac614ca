#pragma once

#include "db/session.h"
#include "platform/scripted_prompter.h"
#include "platform/status_sink.h"
#include "tests/fixtures/corvane_rows.h"
#include "tests/fixtures/corvane_schema.h"
#include "tests/support/session_fixture.h"
#include "tests/support/temp_env.h"

#include <QMap>
#include <functional>

namespace veranth::testing {

// Every row of every user table, as text, sorted: two databases hold the same data exactly
// when their contents compare equal (counters, dates and amounts included).
using DatabaseContents = QMap<QString, QStringList>;
DatabaseContents ContentsOf(engine::Database& db);

// A Corvane site in a private folder (main, local, letters and CTP files, empty or with the
// sample firm), its profile, and a session whose current database is the main file, opened in
// the workspace "MainWS" as the program opens it. The yield hook runs `onYield`, so a test can
// make a run fail in its middle.
struct RepairFixture {
    explicit RepairFixture(bool withSample = false, int branchId = 12);

    TempDir dir;
    ScopedEnv siteEnv{"VERANTH_SITE_DIR", dir.Path() + QStringLiteral("/site")};
    platform::ScriptedPrompter prompter;
    platform::RecordingStatusSink status;
    engine::DBEngine engine;
    std::function<void()> onYield;
    db::Session session{engine, prompter, status, platform::SettingsStore(dir.Path() + QStringLiteral("/config")),
                        platform::YieldHook([this] {
                            if (onYield) onYield();
                        })};
    RecordingShellWindows windows;
    fixtures::CorvanePaths paths;

    engine::Database& Main() { return *session.database; }
    // Opens another file of the site in the session's workspace.
    std::shared_ptr<engine::Database> Open(const QString& path);
    void Answer(const char* answer) { prompter.AddAnswer(QString::fromLatin1(answer)); }
    // The messages shown so far as "[title] text".
    QStringList Messages() const;
    // The next yields pass until `yields` have gone by; the one after that raises error 3260.
    void FailAtYield(int yields);
    // Runs a statement on the main file.
    void Sql(const QString& statement);
    // The first field of the first row of a query on the main file, as text ("" for Null).
    QString Scalar(const QString& query);
    // One column of a query's rows, as text, in the query's order.
    QStringList Column(const QString& query, engine::Database* db = nullptr);
    // Writes QOR32.INI with the given [Customise] and extra [Database Paths] lines.
    void WriteProfile(const QString& extraPaths = QString(), const QString& customise = QString());
};

}  // namespace veranth::testing
