#pragma once

#include "db/shell_windows.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <functional>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QProgressBar;
class QToolBar;

namespace veranth::browser {
class FrmDatabase;
class FrmSQL;
}

namespace veranth::db {
class Session;
}

namespace veranth::app {

class FrmErrors;
class StatusBarSink;

// frmMDI, the program's main window: the menus, the toolbar, the status bar and the area the
// database, SQL and view windows open in. Every command is dispatched by its item's name; the
// rules that change the menus live in the logic, which this window only mirrors.
class FrmMDI : public QMainWindow, public db::ShellWindows {
    Q_OBJECT
public:
    FrmMDI(db::Session& session, StatusBarSink& status, QWidget* parent = nullptr);
    ~FrmMDI() override;

    // The load: placement restored, engine prepared, window shown, settings loaded, the last
    // database reopened when the preference says so. False when the program must end at once
    // (the login window was cancelled with no workspace to go on with).
    bool Load();

    QMdiArea* MdiArea() const { return mdiArea_; }
    QAction* Action(const QString& name) const { return actions_.value(name); }
    browser::FrmDatabase* DatabaseWindow() const;
    browser::FrmSQL* SqlWindow() const;
    // Runs the command of an item as its click would.
    void Dispatch(const QString& name);

    // The support-password window; tests put a scripted one in its place.
    using PasswordWindow = std::function<bool()>;
    void SetPasswordWindow(PasswordWindow window) { passwordWindow_ = std::move(window); }

    // What the logic asks of the windows.
    void SetMainCaption(const QString& caption) override { setWindowTitle(caption); }
    void UnloadChildWindows() override;
    void UnloadRecordsetWindows() override;
    void ShowDatabaseWindow() override;
    void ShowSqlWindow() override;
    void ShowRecordsetWindow(const db::RecordsetWindowRequest& request) override;
    void SetMainWindowEnabled(bool enabled) override { setEnabled(enabled); }
    void ShowErrorsWindow(const QStringList& lines) override;
    void CloseErrorsWindow() override;
    QString AskDatabasePassword() override;
    void ShowLoginWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildToolbar();
    void BuildStatusBar();
    void ApplyState(const QString& name);
    void RegisterCommands();
    void NotAvailable(const QString& name);
    void FillWindowMenu();
    bool ShowPasswordWindow();
    void RegisterDatabaseCommands();

    db::Session& session_;
    StatusBarSink& status_;
    QMdiArea* mdiArea_;
    QToolBar* toolbar_ = nullptr;
    QHash<QString, QAction*> actions_;
    QHash<QString, QMenu*> menus_;
    QHash<QString, std::function<void()>> commands_;
    QList<QAction*> windowListActions_;
    PasswordWindow passwordWindow_;
    QPointer<FrmErrors> errorsWindow_;
    QPointer<browser::FrmDatabase> databaseWindow_;
    QPointer<browser::FrmSQL> sqlWindow_;
    bool ending_ = false;
    bool endRequested_ = false;
};

}  // namespace veranth::app
