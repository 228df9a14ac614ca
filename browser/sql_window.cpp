#include "browser/sql_window.h"

#include "browser/child_placement.h"
#include "browser/database_window.h"
#include "browser/name_reuse.h"
#include "browser/object_commands.h"
#include "db/session.h"
#include "db/status.h"
#include "views/open_recordset.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

namespace veranth::browser {
namespace {

constexpr PlacementKeys kPlacement{"SQLWindowTop", "SQLWindowLeft", "SQLWindowWidth", "SQLWindowHeight", "0", "3850", "5370", "3000"};

const QTreeWidget* DatabaseTreeSource(QObject* source) {
    const auto* tree = qobject_cast<const QTreeWidget*>(source);
    return tree && tree->objectName() == QLatin1String("tvDatabase") ? tree : nullptr;
}

// The statement box: Ctrl+Up and Ctrl+Down walk the history, and only a drag from the database
// window's tree may be dropped on it.
class SqlStatementBox : public QPlainTextEdit {
public:
    std::function<void()> older, newer;
    std::function<void(const QTreeWidget*)> treeDrop;

    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->modifiers() == Qt::ControlModifier && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
            (event->key() == Qt::Key_Up ? older : newer)();
            event->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
    void dragEnterEvent(QDragEnterEvent* event) override {
        if (DatabaseTreeSource(event->source())) event->acceptProposedAction();
        else event->ignore();
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        if (DatabaseTreeSource(event->source())) event->acceptProposedAction();
        else event->ignore();
    }
    void dropEvent(QDropEvent* event) override {
        const QTreeWidget* tree = DatabaseTreeSource(event->source());
        if (!tree) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        treeDrop(tree);
    }
};

}  // namespace

FrmSQL::FrmSQL(db::Session& session, QWidget* parent, const QString& historyFile)
    : QWidget(parent),
      session_(session),
      txtSQLStatement_(new SqlStatementBox(this)),
      cmdExecuteSQL_(new QPushButton(QStringLiteral("&Execute"), this)),
      cmdClearSQL_(new QPushButton(QStringLiteral("&Clear"), this)),
      cmdSaveQueryDef_(new QPushButton(QStringLiteral("&Save"), this)),
      history_(historyFile.isEmpty() ? SqlHistory::FileFor(session.Store()) : historyFile),
      recall_(history_) {
    setObjectName(QStringLiteral("frmSQL"));
    setWindowTitle(QStringLiteral("SQL Statement"));
    txtSQLStatement_->setObjectName(QStringLiteral("txtSQLStatement"));
    cmdExecuteSQL_->setObjectName(QStringLiteral("cmdExecuteSQL"));
    cmdClearSQL_->setObjectName(QStringLiteral("cmdClearSQL"));
    cmdSaveQueryDef_->setObjectName(QStringLiteral("cmdSaveQueryDef"));
    txtSQLStatement_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtSQLStatement_->setToolTip(QStringLiteral("Ctrl+Up and Ctrl+Down recall the statements executed before"));
    cmdSaveQueryDef_->setToolTip(QStringLiteral("Save the statement as a stored query"));

    auto* layout = new QVBoxLayout(this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdExecuteSQL_);
    buttons->addWidget(cmdClearSQL_);
    buttons->addWidget(cmdSaveQueryDef_);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addWidget(txtSQLStatement_, 1);

    auto* box = static_cast<SqlStatementBox*>(txtSQLStatement_);
    box->older = [this] { RecallOlder(); };
    box->newer = [this] { RecallNewer(); };
    box->treeDrop = [this](const QTreeWidget* tree) { DropFromTree(tree); };
    connect(txtSQLStatement_, &QPlainTextEdit::textChanged, this, [this] {
        const bool any = !Statement().isEmpty();
        cmdExecuteSQL_->setEnabled(any);
        cmdSaveQueryDef_->setEnabled(any);
        if (!recalling_) recall_.Edited();
    });
    connect(cmdExecuteSQL_, &QPushButton::clicked, this, &FrmSQL::Execute);
    connect(cmdClearSQL_, &QPushButton::clicked, this, &FrmSQL::Clear);
    connect(cmdSaveQueryDef_, &QPushButton::clicked, this, &FrmSQL::Save);

    SetStatement(session_.Store().GetUserSetting(QStringLiteral("SQLStatement"), QString()));
    // Without a text the change signal never came.
    cmdExecuteSQL_->setEnabled(!Statement().isEmpty());
    cmdSaveQueryDef_->setEnabled(!Statement().isEmpty());
    RestorePlacement();
}

QString FrmSQL::Statement() const { return txtSQLStatement_->toPlainText(); }

void FrmSQL::SetStatement(const QString& text) { txtSQLStatement_->setPlainText(text); }

void FrmSQL::RestorePlacement() { RestoreChildPlacement(session_, this, kPlacement); }

void FrmSQL::AfterOpen() { cmdSaveQueryDef_->setVisible(!session_.nonAccessDatabase); }

void FrmSQL::Execute() {
    const QString text = Statement();
    if (text.isEmpty()) return;
    // Kept before it runs: a statement that fails is the one most worth having back.
    const QString database = session_.database ? session_.database->name() : session_.connection.databaseName;
    history_.Add(text, database, QDateTime::currentDateTimeUtc());
    recall_.Edited();
    views::ViewQuery(session_, text, true);
}

void FrmSQL::Clear() {
    txtSQLStatement_->clear();
    txtSQLStatement_->setFocus();
}

void FrmSQL::Save() {
    if (SaveStatementAsQuery(session_, Statement())) Q_EMIT QuerySaved();
}

void FrmSQL::ShowRecalled(const std::optional<QString>& text) {
    if (!text) return;
    recalling_ = true;
    SetStatement(*text);
    recalling_ = false;
    txtSQLStatement_->moveCursor(QTextCursor::End);
    const int at = recall_.Position();
    if (at < 0) {
        db::ShowStatus(session_, QString());
        return;
    }
    const SqlHistoryEntry& entry = history_.Entries().at(at);
    db::ShowStatus(session_, QStringLiteral("History %1/%2: %3, %4")
                                 .arg(at + 1)
                                 .arg(history_.Entries().size())
                                 .arg(QFileInfo(entry.database).fileName(), entry.executed.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm"))));
}

void FrmSQL::RecallOlder() { ShowRecalled(recall_.Older(Statement())); }

void FrmSQL::RecallNewer() { ShowRecalled(recall_.Newer()); }

void FrmSQL::DropFromTree(const QTreeWidget* tree) {
    if (!tree) return;
    const QList<QTreeWidgetItem*> selected = tree->selectedItems();
    const QTreeWidgetItem* item = selected.isEmpty() ? tree->currentItem() : selected.first();
    if (!item) return;
    TreeNode node;
    node.key = item->data(0, kNodeKeyRole).toString();
    node.text = item->text(0);
    node.tag = item->data(0, kNodeTagRole).toString();
    try {
        if (const std::optional<QString> sql = StoredQuerySql(session_, &node)) SetStatement(*sql);
    } catch (const std::exception&) {
        // A drop that finds nothing to show leaves the text as it was.
    }
}

void FrmSQL::closeEvent(QCloseEvent* event) {
    session_.Store().SaveUserSetting(QStringLiteral("SQLStatement"), Statement());
    SaveChildPlacement(session_, this, kPlacement);
    unloaded_ = true;
    event->accept();
}

}  // namespace veranth::browser
