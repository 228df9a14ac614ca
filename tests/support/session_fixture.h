#pragma once

#include "db/session.h"
#include "platform/scripted_prompter.h"
#include "platform/status_sink.h"
#include "tests/support/temp_env.h"

#include <functional>

namespace veranth::testing {

// Records what the logic asks of the windows; answers the database password from a queue.
class RecordingShellWindows : public db::ShellWindows {
public:
    QString caption;
    QStringList calls;
    QStringList errorLines;
    QStringList passwords;  // answers of frmDBPWD, in order; empty means Cancel
    std::function<void()> login;  // what frmLogin does
    bool mainWindowEnabled = true;
    QList<db::RecordsetWindowRequest> shown;  // every recordset window asked for, in order

    void SetMainCaption(const QString& c) override { caption = c; }
    void UnloadChildWindows() override { calls.append(QStringLiteral("UnloadChildWindows")); }
    void UnloadRecordsetWindows() override { calls.append(QStringLiteral("UnloadRecordsetWindows")); }
    void ShowDatabaseWindow() override { calls.append(QStringLiteral("ShowDatabaseWindow")); }
    void ShowSqlWindow() override { calls.append(QStringLiteral("ShowSqlWindow")); }
    void ShowRecordsetWindow(const db::RecordsetWindowRequest& request) override {
        calls.append(QStringLiteral("ShowRecordsetWindow:") + request.caption);
        shown.append(request);
    }
    void SetMainWindowEnabled(bool enabled) override {
        calls.append(enabled ? QStringLiteral("EnableMainWindow") : QStringLiteral("DisableMainWindow"));
        mainWindowEnabled = enabled;
    }
    void ShowErrorsWindow(const QStringList& lines) override {
        calls.append(QStringLiteral("ShowErrorsWindow"));
        errorLines = lines;
    }
    void CloseErrorsWindow() override { calls.append(QStringLiteral("CloseErrorsWindow")); }
    QString AskDatabasePassword() override {
        calls.append(QStringLiteral("AskDatabasePassword"));
        return passwords.isEmpty() ? QString() : passwords.takeFirst();
    }
    void ShowLoginWindow() override {
        calls.append(QStringLiteral("ShowLoginWindow"));
        if (login) login();
    }
};

// A session on a private settings store and site directory, answering prompts from a script.
struct SessionFixture {
    TempDir dir;
    ScopedEnv siteEnv{"VERANTH_SITE_DIR", dir.Path() + QStringLiteral("/site")};
    platform::ScriptedPrompter prompter;
    platform::RecordingStatusSink status;
    engine::DBEngine engine;
    db::Session session{engine, prompter, status, platform::SettingsStore(dir.Path() + QStringLiteral("/config"))};
    RecordingShellWindows windows;

    SessionFixture() { session.SetWindows(&windows); }
    // Logs in as "admin" the way start-up does.
    void LogIn() { session.workspace = engine.createWorkspace(QStringLiteral("MainWS"), QStringLiteral("admin"), QString()); }
    // A new, empty native file; returns its path.
    QString NewDatabase(const QString& name) {
        const QString path = dir.File(name);
        engine.createDatabase(path)->close();
        return path;
    }
    // The texts of every message shown so far.
    QStringList Messages() const {
        QStringList texts;
        for (const platform::PromptRecord& r : prompter.Records())
            if (r.kind == platform::PromptRecord::Kind::Message) texts.append(r.text);
        return texts;
    }

    QString SiteDir() const { return dir.Path() + QStringLiteral("/site"); }
    // Writes the site profile.
    void WriteSiteProfile(const QByteArray& text) const { dir.Write(QStringLiteral("site/QOR32.INI"), text); }
    void Store(const QString& key, const QString& value) { session.Store().SaveUserSetting(key, value); }
    QString Stored(const QString& key) const { return session.Store().GetUserSetting(key, QStringLiteral("<absent>")); }
};

}  // namespace veranth::testing
