#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace veranth::engine {
class Property;
}

namespace veranth::platform {
class Prompter;
}

namespace veranth::browser {

// frmProperty: edits one engine property. A Boolean property is a check box captioned with its
// name, any other a text box. A value the property refuses (text in a number) is reported and the
// editor stays open on the same box.
class FrmProperty : public QDialog {
    Q_OBJECT
public:
    explicit FrmProperty(platform::Prompter& prompter, QWidget* parent = nullptr);

    // The property edited; set before the window is shown. The window fills itself from it.
    void SetPropObject(engine::Property* property);
    engine::Property* PropObject() const { return property_; }
    // True after OK wrote the value.
    bool OK() const { return ok_; }

private:
    void Ok();
    bool IsBoolean() const;

    platform::Prompter& prompter_;
    engine::Property* property_ = nullptr;
    bool ok_ = false;
    QLabel* lblLabel_;
    QLineEdit* txtPropValue_;
    QCheckBox* chkPropValue_;
    QPushButton* cmdOK_;
    QPushButton* cmdCancel_;
};

}  // namespace veranth::browser
