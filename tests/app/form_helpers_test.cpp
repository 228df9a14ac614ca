#include "platform/widgets/form_helpers.h"

#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <gtest/gtest.h>

namespace veranth::platform {
namespace {

TEST(AppFormHelpers, CenterFormMovesOnlyANormalWindow) {
    QWidget form;
    form.resize(300, 200);
    form.move(0, 0);
    form.show();
    CenterForm(&form);
    const QRect screen = form.screen()->geometry();
    EXPECT_EQ(form.frameGeometry().left(), screen.left() + (screen.width() - form.frameGeometry().width()) / 2);
    EXPECT_EQ(form.frameGeometry().top(), screen.top() + (screen.height() - form.frameGeometry().height()) / 2);

    QWidget maximised;
    maximised.setWindowState(Qt::WindowMaximized);
    const QPoint before = maximised.pos();
    CenterForm(&maximised);
    EXPECT_EQ(maximised.pos(), before);
}

TEST(AppFormHelpers, SelectAllTextSelectsOrClears) {
    QLineEdit box(QStringLiteral("secret"));
    SelectAllText(&box, true);
    EXPECT_EQ(box.selectedText(), QStringLiteral("secret"));
    SelectAllText(&box, false);
    EXPECT_FALSE(box.hasSelectedText());
    SelectAllText(nullptr, true);
}

TEST(AppFormHelpers, TwipsFollowTheLogicalDpi) {
    QWidget w;
    EXPECT_EQ(TwipsToPixels(&w, 1440), w.logicalDpiX());
    EXPECT_NEAR(PixelsToTwips(&w, TwipsToPixels(&w, 9135)), 9135, 15);
}

}  // namespace
}  // namespace veranth::platform
