#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace veranth::engine {
class Recordset;
}

namespace veranth::db {

// The four windows a recordset can be shown in, chosen by the view mode and recordset type.
enum class ViewWindowKind { DataControl, DynaSnap, TableObj, DataGrid };

// An opened recordset on its way to a new view window, which owns it from then on.
struct RecordsetWindowRequest {
    ViewWindowKind kind = ViewWindowKind::DynaSnap;
    std::shared_ptr<engine::Recordset> recordset;
    QString caption;
    bool parameterized = false;  // frmDataControl's mbIsParameterized
};

// What the logic asks of the program's windows. The main window implements it; tests record the
// calls; a command line needs none of it.
class ShellWindows {
public:
    virtual ~ShellWindows() = default;

    virtual void SetMainCaption(const QString& caption) = 0;
    // Unloads every child window, the last loaded first.
    virtual void UnloadChildWindows() = 0;
    // Unloads the windows that show recordsets.
    virtual void UnloadRecordsetWindows() = 0;
    virtual void ShowDatabaseWindow() = 0;
    virtual void ShowSqlWindow() = 0;
    // Creates, captions and shows a new view window for the recordset.
    virtual void ShowRecordsetWindow(const RecordsetWindowRequest& request) = 0;
    // A repair disables the main window for its run so that no other command can start.
    virtual void SetMainWindowEnabled(bool enabled) = 0;
    // The errors window with these lines, or closed.
    virtual void ShowErrorsWindow(const QStringList& lines) = 0;
    virtual void CloseErrorsWindow() = 0;
    // frmDBPWD: the typed password, empty after Cancel.
    virtual QString AskDatabasePassword() = 0;
    // frmLogin: shown modally; returns when it unloads.
    virtual void ShowLoginWindow() = 0;
};

class NullShellWindows : public ShellWindows {
public:
    void SetMainCaption(const QString&) override {}
    void UnloadChildWindows() override {}
    void UnloadRecordsetWindows() override {}
    void ShowDatabaseWindow() override {}
    void ShowSqlWindow() override {}
    void ShowRecordsetWindow(const RecordsetWindowRequest&) override {}
    void SetMainWindowEnabled(bool) override {}
    void ShowErrorsWindow(const QStringList&) override {}
    void CloseErrorsWindow() override {}
    QString AskDatabasePassword() override { return {}; }
    void ShowLoginWindow() override {}
};

}  // namespace veranth::db
