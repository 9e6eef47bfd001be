#include <QtTest>

#include "FrameTestSupport.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/Settings.h"
#include "shell/app/UserInfoDialog.h"
#include "shell/kit/UiHelpers.h"
#include "support/TestEnv.h"

// The frame and its dialogs on a 144-dpi desktop under 2160 pixels: everything at 1.4.
class TestFrameScaled : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(env.isValid());
        useLoopbackNetwork();
        initScaleFactor(0, 0);
        QCOMPARE(getScaleFactor(), 1.4);
    }

    void frameAndPagesScale()
    {
        FrameLayoutPage frame(storedAccount(true));
        frame.show();
        QCOMPARE(frame.size(), QSize(1316, 987));
        QCOMPARE(frame.FrameTop->geometry(), QRect(0, 0, 1316, 89));
        QCOMPARE(frame.Frame_Management->geometry(), QRect(253, 0, 187, 89));
        QCOMPARE(frame.stackedWidget->geometry(), QRect(0, 89, 1316, 897));
        auto *settings = frame.stackedWidget->findChild<Settings *>();
        QVERIFY(settings);
        QCOMPARE(settings->stackedWidgetSettings->geometry(), QRect(35, 86, 1243, 782));
        QCOMPARE(frame.iconDeviceControl->size(), QSize(36, 36));
        // Entry labels are fitted to their frames.
        QVERIFY(!frame.Lb_ConnectedList->text().isEmpty());
    }

    void userSettingsScaleOnce()
    {
        UserInfoDialog dialog(storedAccount(true));
        QCOMPARE(dialog.size(), QSize(575, 506));
        dialog.show();
        QCOMPARE(dialog.size(), QSize(575, 506));
        QCOMPARE(dialog.widgetEmail->geometry(), QRect(28, 22, 519, 30));
        QCOMPARE(dialog.widgetData->pos(), QPoint(28, 165));
        dialog.showChangePassword();
        QCOMPARE(dialog.widgetData->pos(), QPoint(28, 277));
        QVERIFY(dialog.widgetNewPassword->isVisible());
    }

private:
    TestEnv env;
};

QTEST_MAIN(TestFrameScaled)
#include "tst_frame_scaled.moc"
