#include "app/main_window.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veranth"));
    QApplication::setOrganizationName(QStringLiteral("Veranth"));
    veranth::app::FrmMDI window;
    window.show();
    return QApplication::exec();
}
