#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace veranth::db {
class Session;
}

namespace veranth::views {

class DataControl;

// frmDataCtlProp, "Data Control Properties": shows a data control's database, record source,
// recordset type, options, BOF/EOF actions and the kind of control for binary fields, and writes
// them back for a refresh. Accepted after "Refresh Data Control", rejected by Cancel. While it
// writes, the caller's suspend flag is set; the caller clears it once its refresh is done.
class FrmDataCtlProp : public QDialog {
    Q_OBJECT
public:
    FrmDataCtlProp(db::Session& session, DataControl& control, bool& suspend, QWidget* parent = nullptr);

private:
    void Load();
    void RefreshDataControl();

    db::Session& session_;
    DataControl& control_;
    bool& suspend_;
    QLineEdit *txtDatabaseName_, *txtConnect_, *txtRecordSource_;
    QCheckBox *chkExclusive_, *chkDBReadOnly_;
    QRadioButton* optRSType_[3];
    QCheckBox* options_[9];
    QRadioButton* optBOFAction_[2];
    QRadioButton* optEOFAction_[3];
    QRadioButton *optOLECtl_, *optPictureCtl_;
};

}  // namespace veranth::views
