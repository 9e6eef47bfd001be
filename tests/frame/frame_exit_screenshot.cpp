// Renders what Exit shows while writes wait, to PNG files for a look by eye: the question (one record and seven, Wait
// holding the keyboard), the notice of the waiting exit in its texts (one warning and two), and the whole screen with
// an SOS warning open while an exit waits for it, the notice below it. Usage: frame_exit_screenshot <prefix> [language]
// (language en_US or zh_TW)
//   xvfb-run -a -s "-screen 0 1920x1080x24" env QT_FONT_DPI=135 build/tests/frame/frame_exit_screenshot /tmp/ex14 zh_TW
// Everything stays in a temporary HOME.

#include <QApplication>
#include <QScreen>
#include <QTranslator>
#include <QtTest>

#include "devices/AlertRoad.h"
#include "devices/Management.h"
#include "network/NetTestSupport.h"
#include "shell/app/ExitPendingNotice.h"
#include "shell/app/ExitUnsavedDialog.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/base/Session.h"
#include "shell/kit/UiHelpers.h"
#include "support/StoredAccount.h"

namespace {

void save(const QPixmap &shot, const QString &file)
{
    if (!shot.save(file))
        qWarning("cannot write %s", qPrintable(file));
}

void shoot(QWidget *dialog, const QString &file)
{
    dialog->show();
    dialog->activateWindow();
    if (!QTest::qWaitForWindowExposed(dialog))
        qWarning("%s was not shown", qPrintable(file));
    QTest::qWait(150);
    save(dialog->grab(), file);
    dialog->hide();
}

} // namespace

int main(int argc, char **argv)
{
    TestEnv env;
    QApplication app(argc, argv);
    const QString prefix = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("exit");
    currentLanguage = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("en_US");
    QTranslator translator;
    if (translator.load(QStringLiteral(QV_LANG_DIR "/Orvanta_") + currentLanguage + QStringLiteral(".qm")))
        app.installTranslator(&translator);
    initScaleFactor(0, 0);
    NetworkConfig::setCurrent(loopbackNetworkConfig(env.home()));

    for (const int records : {1, 7}) {
        ExitUnsavedDialog question;
        question.setRecords(records, DbHoldCause::AnotherProgram);
        shoot(&question, prefix + QStringLiteral("-question-%1.png").arg(records));
    }
    ExitUnsavedDialog fullDisk;
    fullDisk.setRecords(7, DbHoldCause::DiskFull);
    shoot(&fullDisk, prefix + QStringLiteral("-question-full.png"));
    ExitUnsavedDialog fileError;
    fileError.setRecords(7, DbHoldCause::FileError);
    shoot(&fileError, prefix + QStringLiteral("-question-file.png"));
    ExitPendingNotice notice;
    notice.setWaits(0, 7);
    shoot(&notice, prefix + QStringLiteral("-notice-records.png"));
    notice.setWaits(1, 0);
    shoot(&notice, prefix + QStringLiteral("-notice-alert.png"));
    notice.setWaits(1, 1);
    shoot(&notice, prefix + QStringLiteral("-notice-both.png"));
    notice.setWaits(2, 0);
    shoot(&notice, prefix + QStringLiteral("-notice-alerts.png"));
    notice.setWaits(2, 7);
    shoot(&notice, prefix + QStringLiteral("-notice-both-plural.png"));

    // The console's windows as the operator sees them: an SOS warning open, Exit chosen, the notice below it.
    const VelkIFPDevice device = addManagedDevice(QStringLiteral("Science Lab B"), QStringLiteral("02:51:4d:00:00:21"),
                                                  QStringLiteral("192.168.10.42"));
    FrameLayoutPage frame(storedAccount(true));
    frame.show();
    if (!QTest::qWaitForWindowExposed(&frame))
        qWarning("the frame was not shown");
    frame.findChild<Management *>()->alertRoad()->handleSafeAlert(device.macAddress);
    QTest::qWait(300);
    frame.closeProgram();
    QTest::qWait(500);
    save(frame.screen()->grabWindow(0), prefix + QStringLiteral("-screen.png"));
    return 0;
}
