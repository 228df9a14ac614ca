#include "browser/database_window.h"

#include "db/connection.h"
#include "db/session.h"
#include "db/status.h"
#include "engine/conversions.h"
#include "platform/settings_store.h"
#include "platform/widgets/form_helpers.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenu>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace veranth::browser {
namespace {

constexpr int kKeyRole = Qt::UserRole;

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
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(view_);
    resize(platform::TwipsToPixels(this, Setting(session_, "DBWindowWidth", "3835")),
           platform::TwipsToPixels(this, Setting(session_, "DBWindowHeight", "3870")));

    connect(view_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { ClickNode(item->data(0, kKeyRole).toString()); });
    connect(view_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        item->setExpanded(!item->isExpanded());
        popupKey_ = item->data(0, kKeyRole).toString();
    });
    connect(view_, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QTreeWidgetItem* item = view_->itemAt(at);
        // Beside a short label the pointer misses the node; the same height further in finds it.
        for (int twips : {800, 1200}) {
            if (item) break;
            item = view_->itemAt(platform::TwipsToPixels(this, twips), at.y());
        }
        RightClickNode(item ? item->data(0, kKeyRole).toString() : QString());
        if (popup_) popup_->popup(view_->viewport()->mapToGlobal(at));
    });
    connect(view_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item) {
        if (filling_) return;
        const QString key = item->data(0, kKeyRole).toString();
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
    item->setData(0, kKeyRole, key);
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

void FrmDatabase::SaveGeometry() {
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) return;
    const QWidget* frame = parentWidget() ? parentWidget() : this;
    const auto save = [&](const char* key, int pixels) {
        session_.Store().SaveUserSetting(QLatin1String(key), platform::FormatSettingNumber(platform::PixelsToTwips(this, pixels)));
    };
    save("DBWindowTop", frame->y());
    save("DBWindowLeft", frame->x());
    save("DBWindowWidth", frame->width());
    save("DBWindowHeight", frame->height());
}

void FrmDatabase::closeEvent(QCloseEvent* event) {
    // Closing the window closes the database; pending changes may keep the database open while
    // the window itself goes.
    db::CloseDatabase(session_);
    SaveGeometry();
    event->accept();
}

}  // namespace veranth::browser
