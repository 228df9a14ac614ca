#include "app/main_window.h"

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

namespace veranth::app {
namespace {

TEST(AppMainWindow, StartsCaptionedWithItsAreaAndStatusBar) {
    FrmMDI window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Corvane - Veranth"));
    EXPECT_EQ(window.objectName(), QStringLiteral("frmMDI"));
    EXPECT_NE(window.findChild<QMdiArea*>(QStringLiteral("mdiArea")), nullptr);
    EXPECT_NE(window.findChild<QStatusBar*>(QStringLiteral("stsStatusBar")), nullptr);

    // Kept beside the build so a person can look at what the program shows.
    const QImage shot = window.grab().toImage();
    EXPECT_FALSE(shot.isNull());
    shot.save(QDir::currentPath() + QStringLiteral("/main_window.png"));
}

TEST(AppMainWindow, ClosesCleanly) {
    auto* window = new FrmMDI;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    QPointer<FrmMDI> guard(window);
    EXPECT_TRUE(window->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

}  // namespace
}  // namespace veranth::app
