#include "browser/database_window.h"

#include "browser/child_placement.h"
#include "browser/object_commands.h"
#include "browser/property_window.h"
#include "db/connection.h"
#include "db/session.h"
#include "db/status.h"
#include "engine/conversions.h"
#include "platform/settings_store.h"
#include "platform/widgets/form_helpers.h"
#include "views/name_helpers.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>

namespace veranth::browser {
namespace {

constexpr PlacementKeys kPlacement{"DBWindowTop", "DBWindowLeft", "DBWindowWidth", "DBWindowHeight", "0", "0", "3835", "3870"};

QIcon ImageFor(NodeImage image) {
    QStyle* style = QApplication::style();
    switch (image) {
        case NodeImage::Table: return style->standardIcon(QStyle::SP_FileDialogDetailedView);
        case NodeImage::Query: return style->standardIcon(QStyle::SP_FileDialogContentsView);
        case NodeImage::Index: return style->standardIcon(QStyle::SP_FileDialogListView);
        case NodeImage::Property: return style->standardIcon(QStyle::SP_FileDialogInfoView);
        case NodeImage::Attached: return style->standardIcon(QStyle::SP_FileLinkIcon);
        case NodeImage::Field: return style->standardIcon(QStyle::SP_FileIcon);
    }
    return {};
}

double Setting(db::Session& session, const char* key, const char* defaultText) {
    return engine::val(session.Store().GetUserSetting(QLatin1String(key), QLatin1String(defaultText)));
}

}  // namespace

FrmDatabase::FrmDatabase(db::Session& session, QMenu* popup, QWidget* parent)
    : QWidget(parent), session_(session), popup_(popup), view_(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("frmDatabase"));
    setWindowTitle(QStringLiteral("Database Window"));
    setProperty("tag", QStringLiteral("Database"));
    view_->setObjectName(QStringLiteral("tvDatabase"));
    view_->setHeaderHidden(true);
    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    view_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    // The double-click's own toggle is the only one.
    view_->setExpandsOnDoubleClick(false);
    // Nodes are dragged to the SQL window; nothing is dropped on the tree.
    view_->setDragEnabled(true);
    view_->setDragDropMode(QAbstractItemView::DragOnly);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(view_);
    resize(platform::TwipsToPixels(this, Setting(session_, "DBWindowWidth", "3835")),
           platform::TwipsToPixels(this, Setting(session_, "DBWindowHeight", "3870")));

    connect(view_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { ClickNode(item->data(0, kNodeKeyRole).toString()); });
    connect(view_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { DoubleClickNode(item->data(0, kNodeKeyRole).toString()); });
    connect(view_, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QTreeWidgetItem* item = view_->itemAt(at);
        // Beside a short label the pointer misses the node; the same height further in finds it.
        for (int twips : {800, 1200}) {
            if (item) break;
            item = view_->itemAt(platform::TwipsToPixels(this, twips), at.y());
        }
        RightClickNode(item ? item->data(0, kNodeKeyRole).toString() : QString());
        if (popup_) popup_->popup(view_->viewport()->mapToGlobal(at));
    });
    connect(view_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        if (filling_) return;
        const QString key = item->data(0, kNodeKeyRole).toString();
        if (key != editingKey_) return;
        editingKey_.clear();
        const QString newText = item->text(0);
        const QString failure = tree_.Rename(session_, key, newText);
        filling_ = true;
        if (!failure.isEmpty()) {
            session_.Prompter().Inform(failure);
            item->setText(0, tree_.Node(key)->text);
        }
        filling_ = false;
        view_->setCurrentItem(item);
    });
}

QTreeWidgetItem* FrmDatabase::MakeItem(const QString& key) {
    const TreeNode* node = tree_.Node(key);
    auto* item = new QTreeWidgetItem(QStringList{node->text});
    item->setIcon(0, ImageFor(node->image));
    item->setData(0, kNodeKeyRole, key);
    item->setData(0, kNodeTagRole, node->tag);
    Qt::ItemFlags flags = item->flags();
    if (tree_.CanRename(key)) flags |= Qt::ItemIsEditable;
    item->setFlags(flags);
    // Groups show their expander before their first click fills them.
    if (node->tag == QLatin1String("Fields") || node->tag == QLatin1String("Indexes") || node->tag == QLatin1String("Properties") ||
        node->tag == QLatin1String("Field") || node->tag == QLatin1String("Index"))
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    items_.insert(key, item);
    return item;
}

void FrmDatabase::AddChildren(const QString& parentKey, const QStringList& keys) {
    QTreeWidgetItem* parent = items_.value(parentKey);
    if (!parent) return;
    for (const QString& key : keys) {
        parent->addChild(MakeItem(key));
        AddChildren(key, tree_.Children(key));
    }
}

void FrmDatabase::LoadDatabase() {
    filling_ = true;
    view_->clear();
    items_.clear();
    tree_.Load(session_);
    for (const QString& key : tree_.Roots()) {
        view_->addTopLevelItem(MakeItem(key));
        AddChildren(key, tree_.Children(key));
    }
    filling_ = false;
}

void FrmDatabase::RefreshTableList() {
    db::ShowStatus(session_, QStringLiteral("Refreshing Table List"), true);
    session_.Status().SetBusy(true);
    LoadDatabase();
    session_.Status().SetBusy(false);
    db::ShowStatus(session_, QString());
}

void FrmDatabase::ClickNode(const QString& key) {
    filling_ = true;
    AddChildren(key, tree_.Click(session_, key));
    if (QTreeWidgetItem* item = items_.value(key)) {
        if (item->childCount() > 0) item->setExpanded(true);
        else item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    }
    filling_ = false;
}

void FrmDatabase::RightClickNode(const QString& key) {
    popupKey_ = key;
    DatabaseTree::SetPopupItems(session_, tree_.Node(key));
}

void FrmDatabase::RenamePopupNode() {
    QTreeWidgetItem* item = items_.value(popupKey_);
    if (!item || !tree_.CanRename(popupKey_)) return;
    editingKey_ = popupKey_;
    view_->setCurrentItem(item);
    view_->editItem(item);
}

void FrmDatabase::SaveGeometry() { SaveChildPlacement(session_, this, kPlacement); }

void FrmDatabase::DoubleClickNode(const QString& key) {
    const TreeNode* node = tree_.Node(key);
    if (!node) return;
    if (QTreeWidgetItem* item = items_.value(key)) item->setExpanded(!item->isExpanded());
    popupKey_ = key;
    if (node->tag == QLatin1String("Property")) EditPopupNode();
    else OpenPopupNode();
}

void FrmDatabase::OpenPopupNode() { OpenNode(session_, tree_.Node(popupKey_)); }

void FrmDatabase::EditPopupNode() {
    const PropertyEditor editor = [this](engine::Property& property) {
        FrmProperty dialog(session_.Prompter(), this);
        dialog.SetPropObject(&property);
        dialog.exec();
        return dialog.OK();
    };
    filling_ = true;
    for (const QString& key : EditPropertyNode(session_, tree_, popupKey_, editor))
        if (QTreeWidgetItem* item = items_.value(key)) item->setText(0, tree_.Node(key)->text);
    filling_ = false;
}

void FrmDatabase::DeletePopupNode() {
    const QString key = popupKey_;
    QTreeWidgetItem* item = items_.value(key);
    // The node's subtree is read before the tree forgets it.
    QStringList gone;
    const std::function<void(const QString&)> collect = [&](const QString& k) {
        gone.append(k);
        for (const QString& child : tree_.Children(k)) collect(child);
    };
    collect(key);
    if (!DeleteNode(session_, tree_, key)) return;
    for (const QString& k : gone) items_.remove(k);
    delete item;
    popupKey_.clear();
}

void FrmDatabase::DesignPopupNode() {
    const TreeNode* node = tree_.Node(popupKey_);
    if (!node) return;
    try {
        if (node->tag == QLatin1String("Table")) {
            Q_EMIT TableDesignRequested(views::CutAttachSuffix(node->text));
        } else if (node->tag == QLatin1String("Query")) {
            if (QTreeWidgetItem* item = items_.value(popupKey_)) view_->setCurrentItem(item);
            if (const std::optional<QString> sql = StoredQuerySql(session_, node)) Q_EMIT QuerySqlRequested(*sql);
        }
    } catch (const std::exception&) {
        // Design reports nothing: a query that cannot be read leaves the SQL window as it was.
    }
}

void FrmDatabase::closeEvent(QCloseEvent* event) {
    // Closing the window closes the database; pending changes may keep the database open while
    // the window itself goes.
    db::CloseDatabase(session_);
    SaveGeometry();
    unloaded_ = true;
    event->accept();
}

}  // namespace veranth::browser
