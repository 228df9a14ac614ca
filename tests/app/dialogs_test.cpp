#include "app/errors_window.h"
#include "app/login_dialogs.h"
#include "app/pwd_dialog.h"

#include "tests/support/temp_env.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace veranth::app {
namespace {

template <class T>
T* Child(QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// Types into a box and presses a button of a modal dialog once its event loop runs.
void ClickLater(QDialog& dialog, const char* box, const QString& text, const char* button) {
    QTimer::singleShot(0, &dialog, [&dialog, box, text, button] {
        if (box) Child<QLineEdit>(dialog, box)->setText(text);
        QTest::mouseClick(Child<QPushButton>(dialog, button), Qt::LeftButton);
    });
}

TEST(AppDialogs, SupportPasswordWindowAnswersThroughTheChecker) {
    QStringList checked;
    MdlPwd dialog([&](const QString& typed) {
        checked.append(typed);
        return typed == QLatin1String("right");
    });
    EXPECT_EQ(dialog.objectName(), QStringLiteral("mdl_PWD"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Veranth..."));
    EXPECT_EQ(Child<QLineEdit>(dialog, "txt_Password")->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(Child<QPushButton>(dialog, "Command3D1")->isDefault());

    ClickLater(dialog, "txt_Password", QStringLiteral("wrong"), "Command3D1");
    dialog.exec();
    EXPECT_FALSE(dialog.PWD_Correct());
    ClickLater(dialog, "txt_Password", QStringLiteral("right"), "Command3D1");
    dialog.exec();
    EXPECT_TRUE(dialog.PWD_Correct());
    ClickLater(dialog, "txt_Password", QStringLiteral("right"), "Command3D2");
    dialog.exec();
    EXPECT_FALSE(dialog.PWD_Correct()) << "Cancel is never correct";
    EXPECT_EQ(checked, (QStringList{"wrong", "right"})) << "Cancel does not ask the checker";
}

TEST(AppDialogs, PasswordBoxesSelectTheirTextOnFocus) {
    FrmDBPWD dialog;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QLineEdit* box = Child<QLineEdit>(dialog, "txtPassword");
    box->setText(QStringLiteral("typed before"));
    box->deselect();
    box->clearFocus();
    box->setFocus(Qt::MouseFocusReason);
    QTest::qWait(20);
    EXPECT_EQ(box->selectedText(), QStringLiteral("typed before"));
}

TEST(AppDialogs, LoginWindowStaysOpenWhileTheLogicHasSomethingToSay) {
    QStringList tries;
    FrmLogin dialog([&](const QString& name, const QString& password) {
        tries.append(name + QLatin1Char('/') + password);
        return QString();
    });
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Login"));
    QTimer::singleShot(0, &dialog, [&] {
        Child<QLineEdit>(dialog, "txtLoginName")->setText(QStringLiteral("jsmith"));
        Child<QLineEdit>(dialog, "txtPassword")->setText(QStringLiteral("pw"));
        QTest::mouseClick(Child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(tries, QStringList{"jsmith/pw"});
    ClickLater(dialog, nullptr, {}, "cmdCancel");
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
}

TEST(AppDialogs, DatabasePasswordIsEmptyAfterCancel) {
    FrmDBPWD dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Password Required"));
    ClickLater(dialog, "txtPassword", QStringLiteral("Dunes"), "cmdOK");
    dialog.exec();
    EXPECT_EQ(dialog.PWD(), QStringLiteral("Dunes"));
    ClickLater(dialog, "txtPassword", QStringLiteral("typed"), "cmdCancel");
    dialog.exec();
    EXPECT_EQ(dialog.PWD(), QString());
}

TEST(AppDialogs, ErrorsWindowListsLinesAndAsksForARefresh) {
    FrmErrors window;
    window.SetLines({QStringLiteral("3024\tEngine\tCould not find file"), QStringLiteral("3049\tEngine\tDamaged")});
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Errors"));
    EXPECT_EQ(Child<QListWidget>(window, "lstErrors")->count(), 2);
    QSignalSpy refresh(&window, &FrmErrors::RefreshRequested);
    QTest::mouseClick(Child<QPushButton>(window, "cmdRefresh"), Qt::LeftButton);
    EXPECT_EQ(refresh.count(), 1);
}

}  // namespace
}  // namespace veranth::app
