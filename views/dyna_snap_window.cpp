#include "views/dyna_snap_window.h"

#include "db/error_report.h"
#include "db/session.h"
#include "db/status.h"
#include "engine/recordset.h"
#include "platform/widgets/form_helpers.h"
#include "views/dyna_snap_layout.h"
#include "views/find_form.h"
#include "views/zoom_form.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>

namespace veranth::views {
namespace {

// Vertical zones of the window, in twips: two rows of buttons, the header, the fields, the slider.
constexpr int kButtonRowTwips = 360;
constexpr int kFieldsTopTwips = 1080;
constexpr int kBottomStripTwips = 460;
// Caption and borders around the window's client area.
constexpr int kFrameTwips = 400;
constexpr int kPageTwips = 3000;

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption) {
    auto* button = new QPushButton(QLatin1String(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

FrmDynaSnap::FrmDynaSnap(db::Session& session, std::shared_ptr<engine::Recordset> recordset, QWidget* parent)
    : QWidget(parent), session_(session), form_(session, std::move(recordset), *this) {
    setObjectName(QStringLiteral("frmDynaSnap"));
    setProperty("tag", QStringLiteral("Recordset"));
    BuildControls();
    db::Guarded(session_, [this] {
        BuildFieldPairs();
        loaded_ = form_.Load();
    });
    if (!loaded_) {
        // Closing from inside the constructor would delete the object under its creator.
        QMetaObject::invokeMethod(this, [this] { CloseWindow(); }, Qt::QueuedConnection);
        return;
    }
    const FormSize size = DynaSnapFormSize(static_cast<int>(txtFieldData_.size()));
    resize(Px(size.width), Px(size.height - kFrameTwips));
    vsbScrollBar_->setVisible(size.scrollBar);
    LayOut();
}

FrmDynaSnap::~FrmDynaSnap() { Unload(); }

int FrmDynaSnap::Px(double twips) const { return platform::TwipsToPixels(this, twips); }
double FrmDynaSnap::Tw(int pixels) const { return platform::PixelsToTwips(this, pixels); }

void FrmDynaSnap::BuildControls() {
    picViewButtons_ = new QWidget(this);
    picViewButtons_->setObjectName(QStringLiteral("picViewButtons"));
    QPushButton* cmdAdd = MakeButton(picViewButtons_, "cmdAdd", "&Add");
    QPushButton* cmdEdit = MakeButton(picViewButtons_, "cmdEdit", "&Edit");
    QPushButton* cmdDelete = MakeButton(picViewButtons_, "cmdDelete", "&Delete");
    QPushButton* cmdClose = MakeButton(picViewButtons_, "cmdClose", "&Close");
    QPushButton* cmdSort = MakeButton(picViewButtons_, "cmdSort", "&Sort");
    QPushButton* cmdFilter = MakeButton(picViewButtons_, "cmdFilter", "F&ilter");
    QPushButton* cmdMove = MakeButton(picViewButtons_, "cmdMove", "&Move");
    QPushButton* cmdFind = MakeButton(picViewButtons_, "cmdFind", "&Find");
    picChangeButtons_ = new QWidget(this);
    picChangeButtons_->setObjectName(QStringLiteral("picChangeButtons"));
    QPushButton* cmdUpdate = MakeButton(picChangeButtons_, "cmdUpdate", "&Update");
    QPushButton* cmdCancel = MakeButton(picChangeButtons_, "cmdCancel", "&Cancel");
    picChangeButtons_->hide();

    connect(cmdAdd, &QPushButton::clicked, this, [this] { form_.Add(); });
    connect(cmdEdit, &QPushButton::clicked, this, [this] { form_.Edit(); });
    connect(cmdDelete, &QPushButton::clicked, this, [this] { form_.Delete(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] {
        session_.Engine().idle(engine::dbengine_idle::kFreeLocks);
        CloseWindow();
    });
    connect(cmdSort, &QPushButton::clicked, this, [this] { form_.Sort(); });
    connect(cmdFilter, &QPushButton::clicked, this, [this] { form_.Filter(); });
    connect(cmdMove, &QPushButton::clicked, this, [this] { form_.Move(); });
    connect(cmdFind, &QPushButton::clicked, this, [this] { form_.Find(); });
    connect(cmdUpdate, &QPushButton::clicked, this, [this] { form_.Update(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { form_.Cancel(); });
    // cmdClose is the Cancel key of the window.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, cmdClose, &QPushButton::click);

    picFldHdr_ = new QWidget(this);
    picFldHdr_->setObjectName(QStringLiteral("picFldHdr"));
    auto* lblFieldHdr = new QLabel(QStringLiteral("Field Name:"), picFldHdr_);
    lblFieldHdr->setObjectName(QStringLiteral("lblFieldHdr"));
    lblFieldValue_ = new QLabel(QStringLiteral("Value (F4=Zoom)"), picFldHdr_);
    lblFieldValue_->setObjectName(QStringLiteral("lblFieldValue"));

    fieldArea_ = new QWidget(this);
    picFields_ = new QWidget(fieldArea_);
    picFields_->setObjectName(QStringLiteral("picFields"));
    vsbScrollBar_ = new QScrollBar(Qt::Vertical, this);
    vsbScrollBar_->setObjectName(QStringLiteral("vsbScrollBar"));
    vsbScrollBar_->setSingleStep(300);
    vsbScrollBar_->setPageStep(kPageTwips);
    vsbScrollBar_->hide();
    connect(vsbScrollBar_, &QScrollBar::valueChanged, this, &FrmDynaSnap::ScrollFields);

    picMoveButtons_ = new QWidget(this);
    picMoveButtons_->setObjectName(QStringLiteral("picMoveButtons"));
    hsclCurrRow_ = new QScrollBar(Qt::Horizontal, picMoveButtons_);
    hsclCurrRow_->setObjectName(QStringLiteral("hsclCurrRow"));
    hsclCurrRow_->setRange(0, 100);
    lblStatus_ = new QLabel(picMoveButtons_);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    connect(hsclCurrRow_, &QScrollBar::valueChanged, this, [this](int value) { form_.SliderChanged(value); });
}

void FrmDynaSnap::BuildFieldPairs() {
    engine::Recordset& rs = form_.Recordset();
    const int count = rs.fields().count();
    QWidget* previous = nullptr;
    for (int i = 0; i < count; ++i) {
        const auto field = rs.field(i);
        auto* label = new QLabel(field->name() + QLatin1Char(':'), picFields_);
        label->setObjectName(QStringLiteral("lblFieldName(%1)").arg(i));
        label->installEventFilter(this);
        auto* box = new QLineEdit(picFields_);
        box->setObjectName(QStringLiteral("txtFieldData(%1)").arg(i));
        box->setReadOnly(true);
        if (field->type() == engine::FieldType::Text && field->size() > 0) box->setMaxLength(field->size());
        box->installEventFilter(this);
        connect(box, &QLineEdit::textEdited, this, [this, i] { form_.BoxEdited(i); });
        if (previous) QWidget::setTabOrder(previous, box);
        previous = box;
        lblFieldName_.push_back(label);
        txtFieldData_.push_back(box);
        fieldTypes_.push_back(field->type());
    }
}

void FrmDynaSnap::LayOut() {
    const int widthTw = static_cast<int>(Tw(width()));
    const int heightTw = static_cast<int>(Tw(height()));
    const int half = widthTw / 2;

    // The buttons: four to a row.
    const auto placeRow = [&](QWidget* strip) {
        strip->setGeometry(0, 0, width(), Px(2 * kButtonRowTwips));
        const QList<QPushButton*> buttons = strip->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly);
        const int buttonWidth = widthTw / 4;
        for (int i = 0; i < buttons.size(); ++i)
            buttons[i]->setGeometry(Px((i % 4) * buttonWidth), Px((i / 4) * kButtonRowTwips), Px(buttonWidth), Px(kButtonRowTwips));
    };
    placeRow(picViewButtons_);
    placeRow(picChangeButtons_);

    const int fieldCount = static_cast<int>(txtFieldData_.size());
    const bool scrolling = fieldCount > kFieldsWithoutScrollBar;
    const int fieldsBottom = std::max(kFieldsTopTwips, heightTw - kBottomStripTwips);
    const int scrollLeft = widthTw - 360;
    const double usable = scrolling ? scrollLeft - 20 : widthTw - 50;
    const int labelWidth = static_cast<int>(usable * 0.3);

    picFldHdr_->setGeometry(0, Px(2 * kButtonRowTwips), width(), Px(kFieldsTopTwips - 2 * kButtonRowTwips));
    auto* lblFieldHdr = picFldHdr_->findChild<QLabel*>(QStringLiteral("lblFieldHdr"));
    lblFieldHdr->setGeometry(Px(20), 0, Px(labelWidth), picFldHdr_->height());
    lblFieldValue_->setGeometry(Px(40 + labelWidth), 0, Px(widthTw - 60 - labelWidth), picFldHdr_->height());

    fieldArea_->setGeometry(0, Px(kFieldsTopTwips), Px(widthTw - (scrolling ? kScrollBarWidthTwips + 100 : 20)),
                            Px(fieldsBottom - kFieldsTopTwips));
    picFields_->resize(fieldArea_->width(), Px(std::max(1, fieldCount) * kFieldRowTwips));
    for (int i = 0; i < fieldCount; ++i) {
        const int top = i * kFieldRowTwips;
        lblFieldName_[static_cast<size_t>(i)]->setGeometry(Px(20), Px(top), Px(labelWidth), Px(kFieldRowTwips - 40));
        const bool wide = engine::isTextual(fieldTypes_[static_cast<size_t>(i)]);
        const int boxWidth = wide ? static_cast<int>(usable * 0.7 - 250) : TypeBoxWidth(fieldTypes_[static_cast<size_t>(i)]);
        txtFieldData_[static_cast<size_t>(i)]->setGeometry(Px(40 + labelWidth), Px(top), Px(std::max(200, boxWidth)),
                                                            Px(kFieldRowTwips - 40));
    }
    if (scrolling) {
        vsbScrollBar_->setGeometry(Px(scrollLeft), Px(kFieldsTopTwips), Px(kScrollBarWidthTwips), Px(fieldsBottom - kFieldsTopTwips));
        const int hidden = std::max(0, fieldCount * kFieldRowTwips - (fieldsBottom - kFieldsTopTwips));
        vsbScrollBar_->setRange(0, hidden);
    }

    picMoveButtons_->setGeometry(0, Px(fieldsBottom), width(), Px(kBottomStripTwips));
    hsclCurrRow_->setGeometry(0, Px(60), Px(half), Px(300));
    lblStatus_->setGeometry(Px(half + 10), Px(60), Px(widthTw - half - 10), Px(300));
}

void FrmDynaSnap::ScrollFields(int offsetTwips) {
    // Only whole rows scroll out of sight.
    const int snapped = (offsetTwips / kFieldRowTwips) * kFieldRowTwips;
    picFields_->move(0, -Px(snapped));
}

void FrmDynaSnap::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isMinimized() || !loaded_) return;
    db::ShowStatus(session_, QStringLiteral("Resizing Form"), true);
    LayOut();
    db::ShowStatus(session_, QString());
}

void FrmDynaSnap::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (placed_) return;
    placed_ = true;
    // The first placement: 1000 twips in from the top left of the main window's work area.
    QWidget* frame = qobject_cast<QMdiSubWindow*>(parentWidget()) ? parentWidget() : this;
    if (frame != this) frame->resize(frame->size().expandedTo(size() + QSize(0, Px(kFrameTwips))));
    frame->move(Px(1000), Px(1000));
}

void FrmDynaSnap::closeEvent(QCloseEvent* event) {
    if (form_.Counting()) {
        // The count is in the middle of a call of this window: it closes when the count ends.
        closeRequested_ = true;
        event->ignore();
        return;
    }
    Unload();
    QWidget::closeEvent(event);
}

void FrmDynaSnap::CloseWindow() {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget())) frame->close();
    else close();
}

void FrmDynaSnap::Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    if (findForm_) delete findForm_;
    form_.Unload();
}

bool FrmDynaSnap::eventFilter(QObject* watched, QEvent* event) {
    for (size_t i = 0; i < txtFieldData_.size(); ++i) {
        const int index = static_cast<int>(i);
        if (watched == lblFieldName_[i] && event->type() == QEvent::MouseButtonDblClick) {
            form_.Zoom(index);
            return true;
        }
        if (watched != txtFieldData_[i]) continue;
        switch (event->type()) {
        case QEvent::FocusIn: form_.BoxFocused(index); break;
        case QEvent::FocusOut: form_.BoxLostFocus(index); break;
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_F4) {
                form_.Zoom(index);
                return true;
            }
            if ((key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp) && vsbScrollBar_->isVisible()) {
                vsbScrollBar_->setValue(vsbScrollBar_->value() + (key->key() == Qt::Key_PageDown ? kPageTwips : -kPageTwips));
                return true;
            }
            if (form_.Changing() && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
                focusNextChild();
                return true;
            }
            break;
        }
        default: break;
        }
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void FrmDynaSnap::SetCounting(bool counting) {
    for (QWidget* part : {picViewButtons_, picChangeButtons_, picFields_, static_cast<QWidget*>(hsclCurrRow_)}) part->setEnabled(!counting);
    if (!counting && closeRequested_) QMetaObject::invokeMethod(this, [this] { CloseWindow(); }, Qt::QueuedConnection);
}

void FrmDynaSnap::SetStatusText(const QString& text) { lblStatus_->setText(text); }

QString FrmDynaSnap::FieldText(int index) const {
    return index >= 0 && index < static_cast<int>(txtFieldData_.size()) ? txtFieldData_[static_cast<size_t>(index)]->text() : QString();
}

void FrmDynaSnap::SetFieldText(int index, const QString& text) {
    if (index < 0 || index >= static_cast<int>(txtFieldData_.size())) return;
    QLineEdit* box = txtFieldData_[static_cast<size_t>(index)];
    box->setText(text);
    box->setCursorPosition(0);
}

void FrmDynaSnap::SetSliderScale(const SliderScale& scale) {
    const QSignalBlocker block(hsclCurrRow_);
    hsclCurrRow_->setRange(0, scale.max);
    hsclCurrRow_->setSingleStep(scale.smallChange);
    hsclCurrRow_->setPageStep(scale.largeChange);
}

void FrmDynaSnap::ShowSliderValue(int value) {
    const QSignalBlocker block(hsclCurrRow_);
    hsclCurrRow_->setValue(value);
}

void FrmDynaSnap::SetChanging(bool changing) {
    picViewButtons_->setVisible(!changing);
    picChangeButtons_->setVisible(changing);
    hsclCurrRow_->setEnabled(!changing);
    // While browsing the boxes take no typing.
    for (QLineEdit* box : txtFieldData_) box->setReadOnly(!changing);
}

void FrmDynaSnap::FocusFirstBox() {
    if (!txtFieldData_.empty()) txtFieldData_.front()->setFocus();
}

void FrmDynaSnap::FocusSlider() { hsclCurrRow_->setFocus(); }

void FrmDynaSnap::FillFindFields(const QStringList& names) {
    if (!findForm_) findForm_ = new FrmFindForm(this);
    findForm_->SetFieldNames(names);
}

FindRequest FrmDynaSnap::ShowFindDialog() {
    if (!findForm_) findForm_ = new FrmFindForm(this);
    findForm_->ClearCancelled();
    findForm_->exec();
    return findForm_->Request();
}

QString FrmDynaSnap::ShowZoom(const ZoomRequest& request) {
    FrmZoom zoom(this);
    zoom.Configure(request);
    zoom.exec();
    return zoom.Result();
}

}  // namespace veranth::views
