#include "views/data_ctl_prop_window.h"

#include "db/error_report.h"
#include "db/session.h"
#include "views/data_control.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace veranth::views {

namespace {

struct OptionBox {
    const char* name;
    const char* caption;
    int bit;
};
constexpr OptionBox kOptionBoxes[9] = {
    {"chkDenyWrite", "DenyWrite", 1},         {"chkDenyRead", "DenyRead", 2},
    {"chkReadOnly", "ReadOnly", 4},           {"chkAppendOnly", "AppendOnly", 8},
    {"chkInconsistent", "Inconsistent", 16},  {"chkConsistent", "Consistent", 32},
    {"chkSQLPassthrough", "SQLPassthru", 64}, {"chkFailOnError", "FailOnError", 128},
    {"chkForwardOnly", "ForwardOnly", 256},
};

template <class W>
W* Named(W* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

// Option buttons of one choice, named as a control array: optRSType(0), optRSType(1), ...
template <size_t N>
void OptionArray(QWidget* parent, QLayout* layout, const char* name, const char* const (&captions)[N], QRadioButton* (&out)[N]) {
    auto* group = new QButtonGroup(parent);
    for (size_t i = 0; i < N; ++i) {
        out[i] = Named(new QRadioButton(QString::fromLatin1(captions[i]), parent), QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(i));
        group->addButton(out[i]);
        layout->addWidget(out[i]);
    }
}

}  // namespace

FrmDataCtlProp::FrmDataCtlProp(db::Session& session, DataControl& control, bool& suspend, QWidget* parent)
    : QDialog(parent), session_(session), control_(control), suspend_(suspend) {
    setObjectName(QStringLiteral("frmDataCtlProp"));
    setWindowTitle(QStringLiteral("Data Control Properties"));
    setModal(true);

    auto* database = new QGroupBox(QStringLiteral("Database Properties"), this);
    auto* dbForm = new QFormLayout(database);
    txtDatabaseName_ = Named(new QLineEdit(database), QStringLiteral("txtDatabaseName"));
    txtConnect_ = Named(new QLineEdit(database), QStringLiteral("txtConnect"));
    dbForm->addRow(QStringLiteral("Name: "), txtDatabaseName_);
    dbForm->addRow(QStringLiteral("Connect: "), txtConnect_);
    chkExclusive_ = Named(new QCheckBox(QStringLiteral("Exclusive"), database), QStringLiteral("chkExclusive"));
    chkDBReadOnly_ = Named(new QCheckBox(QStringLiteral("ReadOnly"), database), QStringLiteral("chkDBReadOnly"));
    auto* dbFlags = new QHBoxLayout;
    dbFlags->addWidget(chkExclusive_);
    dbFlags->addWidget(chkDBReadOnly_);
    dbForm->addRow(dbFlags);

    auto* recordset = new QGroupBox(QStringLiteral("Recordset Properties"), this);
    auto* rsLayout = new QVBoxLayout(recordset);
    auto* sourceForm = new QFormLayout;
    txtRecordSource_ = Named(new QLineEdit(recordset), QStringLiteral("txtRecordSource"));
    sourceForm->addRow(QStringLiteral("RecordSource: "), txtRecordSource_);
    rsLayout->addLayout(sourceForm);
    auto* types = new QHBoxLayout;
    static const char* const typeCaptions[3] = {"0 - Table", "1 - Dynaset", "2 - Snapshot"};
    OptionArray(recordset, types, "optRSType", typeCaptions, optRSType_);
    rsLayout->addLayout(types);
    auto* boxes = new QGridLayout;
    for (int i = 0; i < 9; ++i) {
        options_[i] = Named(new QCheckBox(QString::fromLatin1(kOptionBoxes[i].caption), recordset),
                            QString::fromLatin1(kOptionBoxes[i].name));
        boxes->addWidget(options_[i], i / 3, i % 3);
    }
    rsLayout->addLayout(boxes);

    auto* actions = new QGroupBox(QStringLiteral("Data Control Properties"), this);
    auto* actionLayout = new QVBoxLayout(actions);
    auto* bof = new QHBoxLayout;
    static const char* const bofCaptions[2] = {"0 - MoveFirst", "1 - BOF"};
    OptionArray(actions, bof, "optBOFAction", bofCaptions, optBOFAction_);
    auto* eof = new QHBoxLayout;
    static const char* const eofCaptions[3] = {"0 - MoveLast", "1 - EOF", "2 - AddNew"};
    OptionArray(actions, eof, "optEOFAction", eofCaptions, optEOFAction_);
    actionLayout->addLayout(bof);
    actionLayout->addLayout(eof);

    auto* binary = new QGroupBox(QStringLiteral("Bound Binary Control Type:"), this);
    auto* binaryLayout = new QHBoxLayout(binary);
    optOLECtl_ = Named(new QRadioButton(QStringLiteral("OLE"), binary), QStringLiteral("optOLECtl"));
    optPictureCtl_ = Named(new QRadioButton(QStringLiteral("PictureBox"), binary), QStringLiteral("optPictureCtl"));
    binaryLayout->addWidget(optOLECtl_);
    binaryLayout->addWidget(optPictureCtl_);

    auto* cmdRefresh = Named(new QPushButton(QStringLiteral("&Refresh Data Control"), this), QStringLiteral("cmdRefresh"));
    auto* cmdCancel = Named(new QPushButton(QStringLiteral("&Cancel"), this), QStringLiteral("cmdCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdRefresh);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(database);
    layout->addWidget(recordset);
    layout->addWidget(actions);
    layout->addWidget(binary);
    layout->addLayout(buttons);

    connect(cmdRefresh, &QPushButton::clicked, this, &FrmDataCtlProp::RefreshDataControl);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    Load();
}

void FrmDataCtlProp::Load() {
    txtDatabaseName_->setText(control_.DatabaseName());
    txtConnect_->setText(control_.Connect());
    chkExclusive_->setChecked(control_.Exclusive());
    chkDBReadOnly_->setChecked(control_.ReadOnly());
    txtRecordSource_->setText(control_.RecordSource());
    const int type = control_.RecordsetType();
    if (type >= 0 && type < 3) optRSType_[type]->setChecked(true);
    for (int i = 0; i < 9; ++i) options_[i]->setChecked(control_.Options() & kOptionBoxes[i].bit);
    if (control_.BOFAction() >= 0 && control_.BOFAction() < 2) optBOFAction_[control_.BOFAction()]->setChecked(true);
    if (control_.EOFAction() >= 0 && control_.EOFAction() < 3) optEOFAction_[control_.EOFAction()]->setChecked(true);
    (control_.Tag() == QLatin1String("OLE") ? optOLECtl_ : optPictureCtl_)->setChecked(true);
    session_.Status().SetBusy(false);
}

void FrmDataCtlProp::RefreshDataControl() {
    suspend_ = true;
    try {
        control_.SetDatabaseName(txtDatabaseName_->text());
        control_.SetConnect(txtConnect_->text());
        control_.SetExclusive(chkExclusive_->isChecked());
        control_.SetReadOnly(chkDBReadOnly_->isChecked());
        control_.SetRecordSource(txtRecordSource_->text());
        for (int i = 0; i < 3; ++i)
            if (optRSType_[i]->isChecked()) control_.SetRecordsetType(i);
        int options = 0;
        for (int i = 0; i < 9; ++i)
            if (options_[i]->isChecked()) options += kOptionBoxes[i].bit;
        control_.SetOptions(options);
        control_.SetBOFAction(optBOFAction_[0]->isChecked() ? 0 : 1);
        for (int i = 0; i < 3; ++i)
            if (optEOFAction_[i]->isChecked()) control_.SetEOFAction(i);
        control_.SetTag(optOLECtl_->isChecked() ? QStringLiteral("OLE") : QStringLiteral("PIC"));
    } catch (const std::exception& e) {
        suspend_ = false;
        db::ShowError(session_, e);
        return;
    }
    accept();
}

}  // namespace veranth::views
