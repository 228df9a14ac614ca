#include "browser/property_window.h"

#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/property.h"
#include "platform/prompter.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace veranth::browser {
namespace {

constexpr int kBooleanType = 1;

QString ErrorText(const std::exception& error) {
    if (const auto* engineError = dynamic_cast<const engine::EngineError*>(&error)) return engineError->description();
    return QString::fromUtf8(error.what());
}

}  // namespace

FrmProperty::FrmProperty(platform::Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      prompter_(prompter),
      lblLabel_(new QLabel(QStringLiteral("&Enter property value:"), this)),
      txtPropValue_(new QLineEdit(this)),
      chkPropValue_(new QCheckBox(this)),
      cmdOK_(new QPushButton(QStringLiteral("&OK"), this)),
      cmdCancel_(new QPushButton(QStringLiteral("&Cancel"), this)) {
    setObjectName(QStringLiteral("frmProperty"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    lblLabel_->setObjectName(QStringLiteral("lblLabel"));
    txtPropValue_->setObjectName(QStringLiteral("txtPropValue"));
    chkPropValue_->setObjectName(QStringLiteral("chkPropValue"));
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    lblLabel_->setBuddy(txtPropValue_);
    cmdOK_->setDefault(true);
    chkPropValue_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblLabel_);
    // The check box takes the text box's place for a Boolean property.
    layout->addWidget(txtPropValue_);
    layout->addWidget(chkPropValue_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel_);
    layout->addLayout(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 45);

    connect(cmdOK_, &QPushButton::clicked, this, &FrmProperty::Ok);
    // Escape reaches reject() too: both mean Cancel.
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::rejected, this, [this] { ok_ = false; });
}

bool FrmProperty::IsBoolean() const { return property_ && property_->type() == kBooleanType; }

void FrmProperty::SetPropObject(engine::Property* property) {
    property_ = property;
    ok_ = false;
    if (!property_) return;
    setWindowTitle(property_->name() + QStringLiteral(" Property Value"));
    try {
        const engine::Value value = property_->value();
        if (IsBoolean()) {
            txtPropValue_->hide();
            chkPropValue_->show();
            chkPropValue_->setText(property_->name());
            lblLabel_->setBuddy(chkPropValue_);
            setTabOrder(chkPropValue_, cmdOK_);
            chkPropValue_->setChecked(!value.isMissing() && (engine::toLong(value) & 1) != 0);
            chkPropValue_->setFocus();
        } else {
            chkPropValue_->hide();
            txtPropValue_->show();
            txtPropValue_->setText(engine::toDisplayText(value));
            txtPropValue_->selectAll();
            txtPropValue_->setFocus();
        }
    } catch (const std::exception& e) {
        prompter_.Inform(ErrorText(e));
    }
}

void FrmProperty::Ok() {
    if (!property_) return;
    try {
        if (IsBoolean()) {
            property_->setValue(engine::Value::boolean(chkPropValue_->isChecked()));
        } else if (txtPropValue_->text() != engine::toDisplayText(property_->value())) {
            property_->setValue(engine::Value(txtPropValue_->text()));
        }
    } catch (const std::exception& e) {
        prompter_.Inform(ErrorText(e));
        (IsBoolean() ? static_cast<QWidget*>(chkPropValue_) : txtPropValue_)->setFocus();
        return;
    }
    ok_ = true;
    accept();
}

}  // namespace veranth::browser
