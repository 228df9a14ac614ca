#include "platform/widgets/centered_dialog.h"

#include "platform/widgets/form_helpers.h"

#include <QEvent>
#include <QLineEdit>
#include <QTimer>

namespace veranth::platform {

void CenteredDialog::SelectAllOnFocus(QLineEdit* box) { box->installEventFilter(this); }

void CenteredDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CenterForm(this);
}

bool CenteredDialog::eventFilter(QObject* watched, QEvent* event) {
    // After the click that gave the focus, so the click does not undo the selection.
    if (event->type() == QEvent::FocusIn)
        if (auto* box = qobject_cast<QLineEdit*>(watched)) QTimer::singleShot(0, box, [box] { SelectAllText(box, true); });
    return QDialog::eventFilter(watched, event);
}

}  // namespace veranth::platform
