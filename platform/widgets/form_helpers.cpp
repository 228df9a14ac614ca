#include "platform/widgets/form_helpers.h"

#include "platform/twips.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>

namespace veranth::platform {

void CenterForm(QWidget* form) {
    if (!form || (form->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))) return;
    const QScreen* screen = form->screen() ? form->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->geometry();
    const QSize size = form->frameGeometry().size();
    form->move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
}

void SelectAllText(QLineEdit* box, bool selectAll) {
    if (!box) return;
    if (selectAll) box->selectAll();
    else box->deselect();
}

static double LogicalDpi(const QWidget* widget) {
    if (widget) return widget->logicalDpiX();
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInchX() : 96.0;
}

int TwipsToPixels(const QWidget* widget, double twips) { return TwipsToPixels(twips, LogicalDpi(widget)); }
double PixelsToTwips(const QWidget* widget, int pixels) { return PixelsToTwips(pixels, LogicalDpi(widget)); }

}  // namespace veranth::platform
