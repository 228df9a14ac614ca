#pragma once

#include "db/menu_state.h"
#include "db/shell_windows.h"
#include "engine/database.h"
#include "engine/dbengine.h"
#include "engine/workspace.h"
#include "platform/credentials.h"
#include "platform/prompter.h"
#include "platform/settings_store.h"
#include "platform/status_sink.h"

#include <QString>
#include <memory>

namespace veranth::db {

// The view windows a table or query opens in, and the recordset types the toolbar offers.
enum class ViewMode : int { DataControl = 0, FieldForm = 1, Grid = 2 };
enum class RecordsetType : int { Table = 0, Dynaset = 1, Snapshot = 2, PassThrough = 8 };

inline constexpr auto kAccessDataType = "Microsoft Access";
inline constexpr auto kOdbcDataType = "ODBC;";

// The site's configuration, read once at start-up and never written back.
struct SiteConfig {
    int siteDatabaseType = 0;  // 1: the Corvane databases are on SQL Server
    QString siteDBExtension;
    platform::ApplicationCredentials credentials;
};

// The one application-wide description of what is open and how.
struct ConnectionState {
    bool databaseOpen = false;
    QString dataType;
    QString databaseName;
    QString odbcDatasource, odbcDatabase, odbcUserName, odbcPassword, odbcDriver, odbcServer;
    int queryTimeout = 15;
    int loginTimeout = 20;
    bool readOnlyOpen = false;
    bool inTransaction = false;
    bool pendingChanges = false;
    ViewMode viewMode = ViewMode::DataControl;
    RecordsetType recordsetType = RecordsetType::Table;
};

struct Preferences {
    bool openOnStartup = false;
    bool allowSys = false;
};

// Everything the program shares between its windows and commands, passed by reference: there are
// no hidden globals. The prompter, status sink and yield hook are the program's or a test's.
class Session {
public:
    Session(engine::DBEngine& engine, platform::Prompter& prompter, platform::StatusSink& status, platform::SettingsStore store,
            platform::YieldHook yield = platform::YieldHook())
        : engine_(engine), prompter_(prompter), status_(status), store_(std::move(store)), yield_(std::move(yield)) {}

    SiteConfig site;
    ConnectionState connection;
    Preferences preferences;
    MenuState menus;
    // The support password was accepted in this run.
    bool passwordAccepted = false;
    // The current workspace ("MainWS") and the current database; either may be empty.
    std::shared_ptr<engine::Workspace> workspace;
    std::shared_ptr<engine::Database> database;
    // The current database is not a native file: the SQL window hides Save, the tree hides Rename.
    bool nonAccessDatabase = false;
    // The file dialog as last used: its read-only box, title and filter.
    bool dialogReadOnly = false;
    QString lastDialogTitle, lastDialogFilter;
    // The previous answer of File > New > an ISAM type.
    QString lastIsamDirectory;

    engine::DBEngine& Engine() { return engine_; }
    // The windows the logic opens, closes and captions; none until the main window sets them.
    ShellWindows& Windows() { return windows_ ? *windows_ : nullWindows_; }
    void SetWindows(ShellWindows* windows) { windows_ = windows; }

    platform::Prompter& Prompter() { return prompter_; }
    platform::StatusSink& Status() { return status_; }
    platform::SettingsStore& Store() { return store_; }
    const platform::SettingsStore& Store() const { return store_; }
    const platform::YieldHook& Yield() const { return yield_; }

private:
    engine::DBEngine& engine_;
    ShellWindows* windows_ = nullptr;
    NullShellWindows nullWindows_;
    platform::Prompter& prompter_;
    platform::StatusSink& status_;
    platform::SettingsStore store_;
    platform::YieldHook yield_;
};

}  // namespace veranth::db
