// The real console on an X server of the test's own, where this process can find its windows and click on them.
//
// The full-disk notices that the console shows before its log-in window, at scale 1.4 (a 135-dpi desktop), in English
// and in Chinese. They came before the scale was worked out, so they kept the boxes of scale 1.0 while their text grew
// with the DPI, and lost the end of their text, the instruction. This process, at the same DPI, lays the same text
// out in the box the console showed.
//
// SIGTERM while the database notice waits ends the program, without the log-in window; so does OK, since on a full
// disk the console cannot start, which it says where it was started and by its exit code.
//
// The log-in window's Exit ends the program: the window closed is the last one, so the event loop ends and the
// console exits normally with 0.

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include "datastore/OrvantaDBManager.h"
#include "shell/app/DatabaseStartupNotice.h"
#include "shell/app/Orvanta.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/UiHelpers.h"
#include "support/SmallDisk.h"
#include "support/TestEnv.h"
#include "support/XvfbDisplay.h"

namespace {

// The text as the notice box lays it out at the scale in force: the whole of it within the label.
void verifyWholeText(const QString &text, const QSize &shownSize)
{
    GeneralMsgDialog dialog;
    dialog.setMessage(text);
    dialog.ensurePolished();
    dialog.labelMessage->ensurePolished();
    QCOMPARE(shownSize, dialog.size());
    const int needed = dialog.labelMessage->heightForWidth(dialog.labelMessage->width());
    QVERIFY2(
        needed > 0 && needed <= dialog.labelMessage->height(),
        qPrintable(QStringLiteral("%1 of %2 pixels: %3").arg(needed).arg(dialog.labelMessage->height()).arg(text)));
}

} // namespace

class TestStartupDesktop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        initScaleFactor(0, 0);
        QCOMPARE(getScaleFactor(), 1.4);
        QVERIFY2(m_display.start(), qPrintable(m_display.error()));
    }

    void fullDiskNoticesShowTheirWholeText_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("databaseOnly");
        QTest::addColumn<bool>("longPath");
        QTest::newRow("data folder, English") << QStringLiteral("C") << false << false;
        QTest::newRow("data folder, Chinese") << QStringLiteral("zh_TW.UTF-8") << false << false;
        QTest::newRow("database, English") << QStringLiteral("C") << true << false;
        QTest::newRow("database, Chinese") << QStringLiteral("zh_TW.UTF-8") << true << false;
        // A data folder deep in a school's shared drive: the box kept its size and cut the last line off.
        QTest::newRow("data folder, long path, English") << QStringLiteral("C") << false << true;
        QTest::newRow("data folder, long path, Chinese") << QStringLiteral("zh_TW.UTF-8") << false << true;
        QTest::newRow("database, long path, English") << QStringLiteral("C") << true << true;
        QTest::newRow("database, long path, Chinese") << QStringLiteral("zh_TW.UTF-8") << true << true;
    }

    void fullDiskNoticesShowTheirWholeText()
    {
        QFETCH(QString, locale);
        QFETCH(bool, databaseOnly);
        QFETCH(bool, longPath);
        QTemporaryDir home;
        QTemporaryDir disk;
        QVERIFY(home.isValid() && disk.isValid());
        QProcessEnvironment environment = consoleEnvironment(home.path(), locale);

        QTranslator translator;
        if (locale.startsWith(QLatin1String("zh_TW"))) {
            QVERIFY(translator.load(QStringLiteral(QV_BUILD_DIR "/lang/Orvanta_zh_TW.qm")));
            QCoreApplication::installTranslator(&translator);
        }
        QProcess console;
        console.setWorkingDirectory(QStringLiteral(QV_BUILD_DIR));
        QString text;
        if (databaseOnly) {
            // Room for the lock file, none for the tables of a new database.
            if (!SmallDisk::available(disk.path()))
                QSKIP("no user namespace here to mount a small disk in");
            const QString data = QStringLiteral("data") + (longPath ? deepFolders(disk.path(), 200) : QString());
            environment.insert(QStringLiteral("XDG_DATA_HOME"), disk.path() + QLatin1Char('/') + data);
            console.setProcessEnvironment(environment);
            SmallDisk::start(console, disk.path(), 1024 * 1024, 32 * 1024, {data + QStringLiteral("/Quorvin")},
                             QStringLiteral(QV_CONSOLE), {});
            OrvantaDBManager::StartupReport report;
            report.state = OrvantaDBManager::StartupReport::Degraded;
            report.diskFull = true;
            report.databaseFile =
                disk.path() + QLatin1Char('/') + data + QStringLiteral("/Quorvin/dbManagement/QuorvinDatabase.db");
            if (longPath)
                QVERIFY(report.databaseFile.size() >= 200);
            text = DatabaseStartupNotice::text(report);
        } else {
            // /proc has no room for a file, as a full disk has none, in the console's view and in this process's
            // alike: the console cannot start there, and says that the disk is full.
            const QString dataHome = QStringLiteral("/proc/quorvin-test") +
                                     (longPath ? deepFolders(QStringLiteral("/proc/quorvin-test"), 200) : QString()) +
                                     QStringLiteral("/home/teacher/.local/share");
            environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
            console.setProcessEnvironment(environment);
            console.start(QStringLiteral(QV_CONSOLE), QStringList());
            text = DatabaseStartupNotice::dataFolderText(dataHome + QStringLiteral("/Quorvin"));
        }
        QList<QRect> shown;
        QTRY_VERIFY((shown = m_display.shownWindows(QStringLiteral("Quorvin"))).size() == 1 ||
                    console.state() == QProcess::NotRunning);
        const QByteArray said = console.readAllStandardError();
        // The notice waits for the operator; what follows it is not looked at here.
        console.kill();
        QVERIFY(console.state() == QProcess::NotRunning || console.waitForFinished(QuorvinTryCeilingMs));
        QVERIFY2(shown.size() == 1, said.constData());

        verifyWholeText(text, shown.first().size());
        QCoreApplication::removeTranslator(&translator);
    }

    // Ctrl+C in the terminal, or a SIGTERM, while the database notice of a full disk waits: it ended the notice's own
    // loop and the console went on to its log-in window. OK on the notice, which says to free space and start again:
    // the console went on to a log-in window that could not work (no table could be made) and, closed, ended with 0
    // as if all were well.
    void closingTheFullDiskNoticeEndsTheProgram_data()
    {
        QTest::addColumn<bool>("terminated");
        QTest::newRow("SIGTERM") << true;
        QTest::newRow("OK") << false;
    }

    void closingTheFullDiskNoticeEndsTheProgram()
    {
        QFETCH(bool, terminated);
        QTemporaryDir home;
        QTemporaryDir disk;
        QVERIFY(home.isValid() && disk.isValid());
        if (!SmallDisk::available(disk.path()))
            QSKIP("no user namespace here to mount a small disk in");
        QProcessEnvironment environment = consoleEnvironment(home.path(), QStringLiteral("C"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), disk.path() + QStringLiteral("/data"));
        QProcess console;
        console.setWorkingDirectory(QStringLiteral(QV_BUILD_DIR));
        console.setProcessEnvironment(environment);
        SmallDisk::start(console, disk.path(), 1024 * 1024, 32 * 1024, {QStringLiteral("data/Quorvin")},
                         QStringLiteral(QV_CONSOLE), {});
        QList<QRect> shown;
        QTRY_VERIFY((shown = m_display.shownWindows(QStringLiteral("Quorvin"))).size() == 1 ||
                    console.state() == QProcess::NotRunning);
        QCOMPARE(console.state(), QProcess::Running);

        if (terminated) {
            console.terminate();
        } else {
            // Where OK lies in the notice at this scale.
            OrvantaDBManager::StartupReport report;
            report.state = OrvantaDBManager::StartupReport::Degraded;
            report.diskFull = true;
            report.databaseFile = disk.path() + QStringLiteral("/data/Quorvin/dbManagement/QuorvinDatabase.db");
            GeneralMsgDialog notice;
            notice.setMessage(DatabaseStartupNotice::text(report));
            QCOMPARE(shown.first().size(), notice.size());
            QVERIFY(
                m_display.click(shown.first().topLeft() + notice.btnOk->mapTo(&notice, notice.btnOk->rect().center())));
        }
        const bool ended = console.waitForFinished(QuorvinTryCeilingMs);
        const bool loginShown = !m_display.shownWindows(QStringLiteral("Orvanta")).isEmpty();
        if (!ended)
            console.kill();
        QVERIFY2(ended && !loginShown, "the console went on to its log-in window on a full disk");
        QCOMPARE(console.exitStatus(), QProcess::NormalExit);
        // The start was refused for the full disk, however the notice was closed, and says so where it was made.
        QCOMPARE(console.exitCode(), 2);
        const QByteArray said = console.readAllStandardError();
        QVERIFY2(said.contains("is full") && said.contains("start the console again"), said.constData());
    }

    void loginExitEndsTheProgram()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QProcessEnvironment environment = consoleEnvironment(home.path(), QStringLiteral("C"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
        QProcess console;
        console.setProcessEnvironment(environment);
        console.setWorkingDirectory(QStringLiteral(QV_BUILD_DIR));
        console.start(QStringLiteral(QV_CONSOLE), QStringList());
        QList<QRect> shown;
        QTRY_VERIFY((shown = m_display.shownWindows(QStringLiteral("Orvanta"))).size() == 1 ||
                    console.state() == QProcess::NotRunning);
        QCOMPARE(shown.size(), 1);

        // Where Exit lies in a log-in window at this scale.
        Orvanta login(OrvantaDBManager::getInstance());
        QCOMPARE(shown.first().size(), login.size());
        const QPoint exit = login.ui.btnExit->mapTo(&login, login.ui.btnExit->rect().center());
        const QPoint at = shown.first().topLeft() + exit;
        QVERIFY(m_display.click(at));
        const bool ended = console.waitForFinished(QuorvinTryCeilingMs);
        if (!ended)
            console.kill();
        QVERIFY2(ended, "the console went on after Exit");
        QCOMPARE(console.exitStatus(), QProcess::NormalExit);
        QCOMPARE(console.exitCode(), 0);
    }

private:
    // Folders under base, "/" first, that make a path of at least length characters with the database's own folders
    // and file below them.
    static QString deepFolders(const QString &base, int length)
    {
        const QString below = QStringLiteral("/data/Quorvin/dbManagement/QuorvinDatabase.db");
        QString folders;
        for (int n = 1; base.size() + folders.size() + below.size() < length; ++n)
            folders += QStringLiteral("/Shared Drive %1 of the School District").arg(n);
        return folders;
    }

    // The console at 135 dpi on the test's X server, in the locale given, with a home of its own.
    QProcessEnvironment consoleEnvironment(const QString &home, const QString &locale) const
    {
        QProcessEnvironment environment = m_display.environment();
        environment.insert(QStringLiteral("QT_FONT_DPI"), QStringLiteral("135"));
        environment.insert(QStringLiteral("LC_ALL"), locale);
        environment.insert(QStringLiteral("HOME"), home);
        for (const char *name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR", "XDG_RUNTIME_DIR"})
            environment.remove(QLatin1String(name));
        return environment;
    }

    TestEnv m_env;
    XvfbDisplay m_display;
};

QTEST_MAIN(TestStartupDesktop)
#include "tst_desktop.moc"
