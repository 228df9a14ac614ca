#include "views/bound_controls.h"

#include "engine/conversions.h"

#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>

namespace veranth::views {

using engine::Value;

BoundPicture::BoundPicture(QWidget* parent) : QLabel(parent) {
    setFrameShape(QFrame::Box);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

bool BoundPicture::SetBytes(const QByteArray& bytes) {
    bytes_ = bytes;
    QImage image;
    if (bytes.isEmpty() || !image.loadFromData(bytes)) {
        clear();
        return bytes.isEmpty();
    }
    setPixmap(QPixmap::fromImage(image));
    return true;
}

bool BoundPicture::LoadBytes(const QByteArray& bytes) {
    const bool shown = SetBytes(bytes);
    Q_EMIT Changed();
    return shown;
}

void BoundPicture::ToggleSize(int rowHeight) {
    // Taller than a row shrinks to a row; otherwise it grows to the picture.
    const int full = pixmap().isNull() ? rowHeight : pixmap().height() + 2 * frameWidth();
    if (height() > rowHeight) {
        autoSize_ = false;
        resize(width(), rowHeight);
    } else {
        autoSize_ = true;
        resize(width(), std::max(full, rowHeight));
    }
}

void BoundPicture::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Q_EMIT Clicked();
    QLabel::mouseReleaseEvent(event);
}

void BoundPicture::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Q_EMIT DoubleClicked();
    QLabel::mouseDoubleClickEvent(event);
}

BoundOle::BoundOle(QWidget* parent) : QLabel(parent) { setFrameShape(QFrame::Box); }

void BoundOle::SetBytes(const QByteArray& bytes) {
    bytes_ = bytes;
    setText(bytes.isEmpty() ? QString() : QStringLiteral("OLE Object (%1 bytes)").arg(bytes.size()));
}

void BoundOle::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) Q_EMIT ActionRequested();
    QLabel::mouseReleaseEvent(event);
}

BoundKind KindOf(const QWidget* control) {
    if (qobject_cast<const QCheckBox*>(control)) return BoundKind::CheckBox;
    if (qobject_cast<const BoundPicture*>(control)) return BoundKind::PictureBox;
    if (qobject_cast<const BoundOle*>(control)) return BoundKind::OleBox;
    return BoundKind::TextBox;
}

void ShowBoundValue(QWidget* control, const Value& value) {
    const QByteArray bytes = value.type() == engine::ValueType::Binary ? value.rawBinary() : QByteArray();
    switch (KindOf(control)) {
    case BoundKind::CheckBox: {
        auto* box = static_cast<QCheckBox*>(control);
        box->setChecked(!value.isMissing() && engine::toBoolean(value));
        break;
    }
    case BoundKind::PictureBox:
        static_cast<BoundPicture*>(control)->SetBytes(bytes);
        break;
    case BoundKind::OleBox:
        static_cast<BoundOle*>(control)->SetBytes(bytes);
        break;
    case BoundKind::TextBox:
        if (auto* box = qobject_cast<QLineEdit*>(control)) {
            box->setText(engine::toDisplayText(value));
            box->setCursorPosition(0);
        }
        break;
    }
}

Value BoundValue(const QWidget* control, bool textField) {
    switch (KindOf(control)) {
    case BoundKind::CheckBox:
        return Value::boolean(static_cast<const QCheckBox*>(control)->isChecked());
    case BoundKind::PictureBox: {
        const QByteArray& b = static_cast<const BoundPicture*>(control)->Bytes();
        return b.isEmpty() ? Value::null() : Value::binary(b);
    }
    case BoundKind::OleBox: {
        const QByteArray& b = static_cast<const BoundOle*>(control)->Bytes();
        return b.isEmpty() ? Value::null() : Value::binary(b);
    }
    case BoundKind::TextBox:
        break;
    }
    const auto* box = qobject_cast<const QLineEdit*>(control);
    const QString text = box ? box->text() : QString();
    if (text.isEmpty() && !textField) return Value::null();
    return Value::string(text);
}

}  // namespace veranth::views
