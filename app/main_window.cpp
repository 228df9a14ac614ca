#include "app/main_window.h"

#include "app/errors_window.h"
#include "browser/database_window.h"
#include "browser/sql_window.h"
#include "app/login_dialogs.h"
#include "app/pwd_dialog.h"
#include "app/repair_commands.h"
#include "app/settings.h"
#include "app/startup.h"
#include "app/status_bar_sink.h"
#include "app/support_gate.h"
#include "app/toolbar.h"
#include "db/connection.h"
#include "db/corvane_databases.h"
#include "db/error_report.h"
#include "db/file_maintenance.h"
#include "db/login.h"
#include "db/menu_tree.h"
#include "db/session.h"
#include "db/transactions.h"
#include "engine/conversions.h"
#include "platform/paths.h"
#include "platform/site_profile.h"
#include "platform/support_password.h"
#include "platform/widgets/form_helpers.h"
#include "views/view_window_factory.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>

namespace veranth::app {
namespace {

QString Name(const db::MenuItemDef& def) { return QString::fromUtf8(def.name); }

bool HasChildren(const QString& name) {
    for (const db::MenuItemDef& def : db::MainMenuTree())
        if (QLatin1String(def.parent) == name) return true;
    return false;
}

const db::MenuItemDef* Definition(const QString& name) {
    for (const db::MenuItemDef& def : db::MainMenuTree())
        if (QLatin1String(def.name) == name) return &def;
    return nullptr;
}

}  // namespace

FrmMDI::FrmMDI(db::Session& session, StatusBarSink& status, QWidget* parent)
    : QMainWindow(parent), session_(session), status_(status), mdiArea_(new QMdiArea(this)) {
    setObjectName(QStringLiteral("frmMDI"));
    setWindowTitle(QStringLiteral("Corvane - Veranth"));
    mdiArea_->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(mdiArea_);
    // Design placement, replaced by the stored one at load.
    setGeometry(platform::TwipsToPixels(this, 4140), platform::TwipsToPixels(this, 3075), platform::TwipsToPixels(this, 9990),
                platform::TwipsToPixels(this, 6780));

    BuildMenus();
    BuildToolbar();
    BuildStatusBar();
    RegisterCommands();
    session_.SetWindows(this);
    session_.menus.SetObserver([this](const QString& name, const db::ItemState&) { ApplyState(name); });
    for (const QString& name : actions_.keys()) ApplyState(name);
    passwordWindow_ = [this] { return ShowPasswordWindow(); };
}

FrmMDI::~FrmMDI() {
    session_.menus.SetObserver({});
    session_.SetWindows(nullptr);
}

void FrmMDI::BuildMenus() {
    for (const db::MenuItemDef& def : db::MainMenuTree()) {
        const QString name = Name(def);
        const QString parent = QString::fromUtf8(def.parent);
        if (parent == QLatin1String(db::kToolbarName)) continue;
        QWidget* container = parent.isEmpty() ? static_cast<QWidget*>(menuBar()) : menus_.value(parent);
        if (!container) continue;
        QAction* action = nullptr;
        if (HasChildren(name)) {
            auto* menu = new QMenu(QString::fromUtf8(def.caption), container);
            menu->setObjectName(name);
            menus_.insert(name, menu);
            action = menu->menuAction();
            if (parent.isEmpty()) menuBar()->addMenu(menu);
            else menus_.value(parent)->addMenu(menu);
        } else {
            // Separators carry no text: some styles draw a separator's text as a section title.
            action = new QAction(def.IsSeparator() ? QString() : QString::fromUtf8(def.caption), container);
            if (def.IsSeparator()) action->setSeparator(true);
            container->addAction(action);
            connect(action, &QAction::triggered, this, [this, name] { Dispatch(name); });
        }
        action->setObjectName(name);
        actions_.insert(name, action);
    }
    connect(menus_.value(QStringLiteral("mnuWindow")), &QMenu::aboutToShow, this, &FrmMDI::FillWindowMenu);
}

void FrmMDI::BuildToolbar() {
    toolbar_ = addToolBar(QStringLiteral("Toolbar"));
    toolbar_->setObjectName(QLatin1String(db::kToolbarName));
    toolbar_->setMovable(false);
    toolbar_->setFixedHeight(platform::TwipsToPixels(this, 420));
    auto* types = new QActionGroup(this);
    auto* views = new QActionGroup(this);
    for (const db::MenuItemDef& def : db::MainMenuTree()) {
        if (QLatin1String(def.parent) != QLatin1String(db::kToolbarName)) continue;
        const QString name = Name(def);
        QAction* action = def.IsSeparator() ? toolbar_->addSeparator() : toolbar_->addAction(name);
        action->setObjectName(name);
        if (!def.IsSeparator()) {
            action->setToolTip(QString::fromUtf8(def.caption));
            connect(action, &QAction::triggered, this, [this, name] { Dispatch(name); });
        }
        actions_.insert(name, action);
    }
    for (const char* key : {"Table", "Dynaset", "Snapshot", "PassThrough"}) types->addAction(actions_.value(QLatin1String(key)));
    for (const char* key : {"DataControl", "NoDataControl", "DBGrid"}) views->addAction(actions_.value(QLatin1String(key)));
    for (QAction* action : types->actions() + views->actions()) action->setCheckable(true);
}

void FrmMDI::BuildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("stsStatusBar"));
    auto* panel1 = new QLabel(bar);
    panel1->setObjectName(QStringLiteral("stsPanel1"));
    auto* panel2 = new QLabel(bar);
    panel2->setObjectName(QStringLiteral("stsPanel2"));
    auto* progress = new QProgressBar(bar);
    progress->setObjectName(QStringLiteral("stsProgress"));
    progress->setMaximumWidth(platform::TwipsToPixels(this, 2400));
    bar->addWidget(panel1, 1);
    bar->addPermanentWidget(progress);
    bar->addPermanentWidget(panel2);
    setStatusBar(bar);
    status_.Attach(panel1, panel2, progress);
}

void FrmMDI::ApplyState(const QString& name) {
    QAction* action = actions_.value(name);
    if (!action || !session_.menus.Has(name)) return;
    const db::ItemState& state = session_.menus.Item(name);
    action->setVisible(state.visible);
    action->setEnabled(state.enabled);
    if (action->isCheckable()) action->setChecked(state.checked);
    if (!action->isSeparator() && action->parent() != toolbar_) action->setText(state.caption);
}

void FrmMDI::RegisterCommands() {
    commands_.insert(QStringLiteral("mnu_DU_Display"), [this] { RunSupportPasswordGate(session_, passwordWindow_); });
    commands_.insert(QStringLiteral("mnuDBExit"), [this] { close(); });
    commands_.insert(QStringLiteral("mnuDBNMDB2x"), [] {});
    commands_.insert(QStringLiteral("mnuWTile"), [this] { mdiArea_->tileSubWindows(); });
    commands_.insert(QStringLiteral("mnuWCascade"), [this] { mdiArea_->cascadeSubWindows(); });
    commands_.insert(QStringLiteral("mnuWArrange"), [this] {
        // Minimised children line up along the bottom of the area.
        int x = 0;
        for (QMdiSubWindow* child : mdiArea_->subWindowList()) {
            if (!child->isMinimized()) continue;
            child->move(x, mdiArea_->viewport()->height() - child->height());
            x += child->width();
        }
    });
    for (const char* key : {"Table", "Dynaset", "Snapshot", "PassThrough", "DataControl", "NoDataControl", "DBGrid"})
        commands_.insert(QLatin1String(key), [this, key] { ApplyToolbarChoice(session_, QLatin1String(key)); });
    RegisterDatabaseCommands();
    RegisterRepairCommands(commands_, session_, this);
}

void FrmMDI::RegisterDatabaseCommands() {
    db::Session& s = session_;
    const auto guarded = [this](std::function<void()> command) { return [this, command] { db::Guarded(session_, command); }; };
    // File > Open DataBase > Specify: one type each.
    const struct {
        const char* item;
        const char* dataType;
    } kOpenTypes[] = {{"mnuDBOMDB", "Microsoft Access"}, {"mnuDBOdBASE5", "Dbase 5.0;"},   {"mnuDBOdBASE4", "Dbase IV;"},
                      {"mnuDBOdBASE3", "Dbase III;"},    {"mnuDBOFox30", "FoxPro 3.0;"},   {"mnuDBOFox26", "FoxPro 2.6;"},
                      {"mnuDBOFox25", "FoxPro 2.5;"},    {"mnuDBOFox20", "FoxPro 2.0;"},   {"mnuDBOParadox5", "Paradox 5.X;"},
                      {"mnuDBOParadox4", "Paradox 4.X;"}, {"mnuDBOParadox3", "Paradox 3.X;"}, {"mnuDBOBtrieve", "Btrieve;"},
                      {"mnuDBOExcel", "Excel 5.0;"},     {"mnuDBOText", "Text;"}};
    for (const auto& t : kOpenTypes) {
        const QString dataType = QLatin1String(t.dataType);
        commands_.insert(QLatin1String(t.item), [&s, dataType] {
            s.connection.dataType = dataType;
            db::OpenDatabaseByType(s, false);
        });
    }
    // File > New > an ISAM type: the same prefixes as their Open counterparts.
    const struct {
        const char* item;
        const char* dataType;
    } kNewTypes[] = {{"mnuDBNdBASE5", "Dbase 5.0;"},   {"mnuDBNdBASE4", "Dbase IV;"},     {"mnuDBNdBASE3", "Dbase III;"},
                     {"mnuDBNFox30", "FoxPro 3.0;"},   {"mnuDBNFox26", "FoxPro 2.6;"},   {"mnuDBNFox25", "FoxPro 2.5;"},
                     {"mnuDBNFox20", "FoxPro 2.0;"},   {"mnuDBNParadox5", "Paradox 5.X;"}, {"mnuDBNParadox4", "Paradox 4.X;"},
                     {"mnuDBNParadox3", "Paradox 3.X;"}, {"mnuDBNBtrieve", "Btrieve;"},    {"mnuDBNText", "Text;"}};
    for (const auto& t : kNewTypes) {
        const QString dataType = QLatin1String(t.dataType);
        commands_.insert(QLatin1String(t.item), [&s, dataType] { db::NewIsamDatabase(s, dataType); });
    }
    commands_.insert(QStringLiteral("mnuDBNMDB70"), [&s] { db::CreateMdb(s, db::kDbVersion30); });
    commands_.insert(QStringLiteral("mnuDBClose"), [&s] { db::CloseDatabase(s); });
    for (int k = 1; k <= db::kRecentItemCount; ++k) commands_.insert(db::RecentItemName(k), [&s, k] { db::OpenRecentItem(s, k); });
    for (int index : {0, 2, 3, 4, 5})
        commands_.insert(QStringLiteral("mnu_CompactDB(%1)").arg(index),
                         [&s, index] { db::CompactMdb(s, db::kDbVersion30, db::CorvaneCompactPath(index)); });
    for (int index = 0; index <= 5; ++index)
        commands_.insert(QStringLiteral("mnu_RepairDB(%1)").arg(index), [&s, index] { db::RepairMdb(s, db::CorvaneRepairPath(index)); });
    const struct {
        const char* item;
        db::CorvaneDatabase which;
    } kProducts[] = {{"mnu_OpenMain", db::CorvaneDatabase::Main},
                     {"mnu_OpenLocal", db::CorvaneDatabase::Local},
                     {"mnu_OpenLetters", db::CorvaneDatabase::Letters},
                     {"mnu_OpenAnnuity", db::CorvaneDatabase::Annuity},
                     {"mnu_OpenCTP", db::CorvaneDatabase::Ctp}};
    for (const auto& p : kProducts) {
        const db::CorvaneDatabase which = p.which;
        commands_.insert(QLatin1String(p.item), guarded([&s, which] { db::OpenCorvaneDatabase(s, which); }));
    }
    commands_.insert(QStringLiteral("mnuDBWorkspace"), [&s] { db::SwitchWorkspace(s); });
    commands_.insert(QStringLiteral("mnuDBErrors"), guarded([&s] {
                         s.Status().SetBusy(true);
                         db::ShowEngineErrors(s);
                         s.Status().SetBusy(false);
                     }));
    commands_.insert(QStringLiteral("mnuDBPURefresh"), guarded([this] {
                         if (session_.database) session_.database->tableDefs().refresh();
                         if (databaseWindow_) databaseWindow_->RefreshTableList();
                     }));
    // The database window's popup acts on its popup node.
    const auto onTree = [this](void (browser::FrmDatabase::*command)()) {
        return [this, command] {
            if (databaseWindow_) (databaseWindow_->*command)();
        };
    };
    commands_.insert(QStringLiteral("mnuDBPURename"), onTree(&browser::FrmDatabase::RenamePopupNode));
    commands_.insert(QStringLiteral("mnuDBPUOpen"), onTree(&browser::FrmDatabase::OpenPopupNode));
    commands_.insert(QStringLiteral("mnuDBPUEdit"), onTree(&browser::FrmDatabase::EditPopupNode));
    commands_.insert(QStringLiteral("mnuDBPUDelete"), onTree(&browser::FrmDatabase::DeletePopupNode));
    commands_.insert(QStringLiteral("mnuDBPUDesign"), onTree(&browser::FrmDatabase::DesignPopupNode));
    commands_.insert(QStringLiteral("BeginTrans"), guarded([&s] { db::ToolbarBeginTrans(s); }));
    commands_.insert(QStringLiteral("Commit"), guarded([&s] { db::ToolbarCommit(s); }));
    commands_.insert(QStringLiteral("Rollback"), guarded([&s] { db::ToolbarRollback(s); }));
}

browser::FrmDatabase* FrmMDI::DatabaseWindow() const { return databaseWindow_ && !databaseWindow_->Unloaded() ? databaseWindow_.data() : nullptr; }

browser::FrmSQL* FrmMDI::SqlWindow() const { return sqlWindow_ && !sqlWindow_->Unloaded() ? sqlWindow_.data() : nullptr; }

void FrmMDI::ShowSqlWindow() {
    // A window closed with the last database is deleted only when the event loop runs again.
    if (sqlWindow_ && sqlWindow_->Unloaded()) sqlWindow_ = nullptr;
    if (!sqlWindow_) {
        sqlWindow_ = new browser::FrmSQL(session_);
        QMdiSubWindow* frame = mdiArea_->addSubWindow(sqlWindow_);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        sqlWindow_->RestorePlacement();
        connect(sqlWindow_, &browser::FrmSQL::QuerySaved, this, [this] {
            if (databaseWindow_) databaseWindow_->RefreshTableList();
        });
    }
    sqlWindow_->AfterOpen();
    sqlWindow_->parentWidget()->show();
}

void FrmMDI::ShowDatabaseWindow() {
    if (databaseWindow_ && databaseWindow_->Unloaded()) databaseWindow_ = nullptr;
    if (!databaseWindow_) {
        databaseWindow_ = new browser::FrmDatabase(session_, menus_.value(QStringLiteral("mnuDBPopUp")));
        // Until the table designer is built, Design on a table says so as the menu's other
        // unbuilt items do.
        connect(databaseWindow_, &browser::FrmDatabase::TableDesignRequested, this,
                [this](const QString&) { NotAvailable(QStringLiteral("mnuDBPUDesign")); });
        connect(databaseWindow_, &browser::FrmDatabase::QuerySqlRequested, this, [this](const QString& sql) {
            ShowSqlWindow();
            sqlWindow_->SetStatement(sql);
        });
        QMdiSubWindow* frame = mdiArea_->addSubWindow(databaseWindow_);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        const auto setting = [this](const char* key, const char* defaultText) {
            return platform::TwipsToPixels(this, engine::val(session_.Store().GetUserSetting(QLatin1String(key), QLatin1String(defaultText))));
        };
        frame->setGeometry(setting("DBWindowLeft", "0"), setting("DBWindowTop", "0"), setting("DBWindowWidth", "3835"),
                           setting("DBWindowHeight", "3870"));
    }
    databaseWindow_->LoadDatabase();
    databaseWindow_->parentWidget()->show();
}

void FrmMDI::UnloadChildWindows() {
    QList<QMdiSubWindow*> children = mdiArea_->subWindowList(QMdiArea::CreationOrder);
    for (auto it = children.rbegin(); it != children.rend(); ++it) (*it)->close();
}

void FrmMDI::UnloadRecordsetWindows() {
    for (QMdiSubWindow* child : mdiArea_->subWindowList())
        if (child->widget() && child->widget()->property("tag").toString() == QLatin1String("Recordset")) child->close();
}

void FrmMDI::ShowRecordsetWindow(const db::RecordsetWindowRequest& request) {
    QWidget* window = views::CreateRecordsetWindow(session_, request);
    if (!window) {
        session_.Prompter().Inform(QStringLiteral("This view is not available in this build."), QStringLiteral("Veranth"),
                                   platform::MessageIcon::Information);
        return;
    }
    // The close-all-recordsets routine finds view windows by this tag.
    window->setProperty("tag", QStringLiteral("Recordset"));
    window->setWindowTitle(request.caption);
    QMdiSubWindow* frame = mdiArea_->addSubWindow(window);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    mdiArea_->setActiveSubWindow(frame);
}

void FrmMDI::ShowErrorsWindow(const QStringList& lines) {
    if (!errorsWindow_) {
        errorsWindow_ = new FrmErrors;
        QMdiSubWindow* frame = mdiArea_->addSubWindow(errorsWindow_);
        frame->setAttribute(Qt::WA_DeleteOnClose);
        frame->move(platform::TwipsToPixels(this, 1000), platform::TwipsToPixels(this, 1000));
        connect(errorsWindow_, &FrmErrors::RefreshRequested, this, [this] { db::ShowEngineErrors(session_); });
    }
    errorsWindow_->SetLines(lines);
    errorsWindow_->parentWidget()->show();
    mdiArea_->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(errorsWindow_->parentWidget()));
    errorsWindow_->setFocus();
}

void FrmMDI::CloseErrorsWindow() {
    if (errorsWindow_) errorsWindow_->parentWidget()->close();
}

QString FrmMDI::AskDatabasePassword() {
    FrmDBPWD dialog(this);
    dialog.exec();
    return dialog.PWD();
}

void FrmMDI::ShowLoginWindow() {
    FrmLogin dialog([this](const QString& name, const QString& password) { return db::LoginOk(session_, name, password); }, this);
    if (dialog.exec() != QDialog::Accepted && db::LoginCancel(session_)) {
        endRequested_ = true;
        // Before the event loop runs, the load sees the flag; after, the loop is told to end.
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }
}

void FrmMDI::Dispatch(const QString& name) {
    const auto command = commands_.constFind(name);
    if (command != commands_.constEnd()) {
        (*command)();
        return;
    }
    NotAvailable(name);
}

void FrmMDI::NotAvailable(const QString& name) {
    const db::MenuItemDef* def = Definition(name);
    QString feature = def && def->feature[0] ? QString::fromUtf8(def->feature) : QString();
    if (feature.isEmpty() && def) feature = QString::fromUtf8(def->caption).remove(QLatin1Char('&')).remove(QStringLiteral("..."));
    session_.Prompter().Inform(QStringLiteral("%1 is not available in this build.").arg(feature), QStringLiteral("Veranth"),
                               platform::MessageIcon::Information);
}

void FrmMDI::FillWindowMenu() {
    QMenu* menu = menus_.value(QStringLiteral("mnuWindow"));
    for (QAction* action : windowListActions_) menu->removeAction(action);
    qDeleteAll(windowListActions_);
    windowListActions_.clear();
    const QList<QMdiSubWindow*> children = mdiArea_->subWindowList();
    if (children.isEmpty()) return;
    windowListActions_.append(menu->addSeparator());
    int k = 1;
    for (QMdiSubWindow* child : children) {
        QAction* action = menu->addAction(QStringLiteral("&%1 %2").arg(k++).arg(child->windowTitle()));
        action->setCheckable(true);
        action->setChecked(child == mdiArea_->activeSubWindow());
        connect(action, &QAction::triggered, this, [this, child] { mdiArea_->setActiveSubWindow(child); });
        windowListActions_.append(action);
    }
}

bool FrmMDI::ShowPasswordWindow() {
    const platform::SupportPasswordChecker checker(platform::SiteDirectory());
    MdlPwd dialog([&checker](const QString& typed) { return checker.Check(typed); }, this);
    dialog.exec();
    return dialog.PWD_Correct();
}

bool FrmMDI::Load() {
    const WindowPlacement placement = RestoreWindowPlacement(session_);
    if (placement.state == 0)
        setGeometry(platform::TwipsToPixels(this, placement.left), platform::TwipsToPixels(this, placement.top),
                    platform::TwipsToPixels(this, placement.width), platform::TwipsToPixels(this, placement.height));
    const bool prepared = PrepareEngine(session_);
    if (endRequested_) return false;
    if (placement.state == 0) show();
    else showMaximized();
    if (!prepared) {
        db::ClosedDatabaseState(session_);
        return true;
    }
    LoadSettings(session_);
    const db::ConnectionState& c = session_.connection;
    if (session_.preferences.openOnStartup && !c.databaseName.isEmpty()) {
        if (c.dataType == QLatin1String(db::kOdbcDataType)) NotAvailable(QStringLiteral("mnuDBOODBC"));
        else db::OpenDatabaseByType(session_, true);
    } else {
        db::ClosedDatabaseState(session_);
    }
    return true;
}

void FrmMDI::closeEvent(QCloseEvent* event) {
    if (ending_) {
        event->accept();
        return;
    }
    ending_ = true;
    // Each step of the end goes on whatever the one before it did.
    WindowPlacement current;
    current.state = isMaximized() ? 2 : (isMinimized() ? 1 : 0);
    current.left = platform::PixelsToTwips(this, geometry().left());
    current.top = platform::PixelsToTwips(this, geometry().top());
    current.width = platform::PixelsToTwips(this, geometry().width());
    current.height = platform::PixelsToTwips(this, geometry().height());
    SaveSettings(session_, current);
    db::ResolvePendingChangesAtExit(session_);
    UnloadChildWindows();
    if (session_.database) {
        try {
            session_.database->close();
        } catch (const std::exception&) {
        }
        session_.database.reset();
    }
    event->accept();
}

}  // namespace veranth::app
