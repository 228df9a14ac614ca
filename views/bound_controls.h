#pragma once

#include "engine/value.h"
#include "views/data_control_types.h"

#include <QByteArray>
#include <QLabel>

class QWidget;

namespace veranth::views {


// A picture box bound to a Long Binary field: shows the field's bytes as an image. A click
// toggles between the picture's own size and one row high; a double-click asks the window to
// load a file into it (the window owns the file dialog).
class BoundPicture : public QLabel {
    Q_OBJECT
public:
    explicit BoundPicture(QWidget* parent = nullptr);

    const QByteArray& Bytes() const { return bytes_; }
    // Shows the bytes; anything that is not an image shows blank and reports false.
    bool SetBytes(const QByteArray& bytes);
    // Replaces the picture as a user would: the data control then stores it in the field.
    bool LoadBytes(const QByteArray& bytes);
    bool AutoSize() const { return autoSize_; }
    // Toggles between the picture's size and a fixed height of `rowHeight` pixels.
    void ToggleSize(int rowHeight);

Q_SIGNALS:
    void Changed();
    void Clicked();
    void DoubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QByteArray bytes_;
    bool autoSize_ = false;
};

// Stands in for an OLE container bound to a Long Binary field: it keeps the object's bytes
// unchanged and shows what it holds. Its one action (right-button release) is to show the
// object's details, since no embedding server exists here.
class BoundOle : public QLabel {
    Q_OBJECT
public:
    explicit BoundOle(QWidget* parent = nullptr);

    const QByteArray& Bytes() const { return bytes_; }
    void SetBytes(const QByteArray& bytes);

Q_SIGNALS:
    void Changed();
    void ActionRequested();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QByteArray bytes_;
};

// A data control tells the kinds apart by class: QLineEdit, QCheckBox, BoundPicture, BoundOle.
BoundKind KindOf(const QWidget* control);

// The value a bound control shows for a field, and the value it holds for writing back. An empty
// text box means Null for every type but Text and Memo, as a cleared number or date must be.
void ShowBoundValue(QWidget* control, const engine::Value& value);
engine::Value BoundValue(const QWidget* control, bool textField);

}  // namespace veranth::views
