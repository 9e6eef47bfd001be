// The notice the operator gets at start-up when the database did not open cleanly, read from the
// dialog as shown: a file set aside is named, so are a failure to open, a table that cannot be
// written and a full disk; a clean start shows nothing.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "datastore/DatabaseFileOps.h"
#include "datastore/DatabaseManager.h"
#include "datastore/OrvantaDBManager.h"
#include "shell/app/DatabaseStartupNotice.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "support/DbProbe.h"
#include "support/SmallDisk.h"
#include "support/TestEnv.h"

class TestDatabaseNotice : public QObject
{
    Q_OBJECT

private:
    // Shows the notice and returns the text of the dialog the operator would read, closing it.
    static QString shownText(const OrvantaDBManager::StartupReport &report)
    {
        QString seen;
        bool answered = false;
        QTimer::singleShot(0, [&]() {
            if (auto *dialog = qobject_cast<GeneralMsgDialog *>(QApplication::activeModalWidget())) {
                seen = dialog->labelMessage->text();
                answered = true;
                dialog->btnOk->click();
            }
        });
        DatabaseStartupNotice::showIfNeeded(report);
        QCoreApplication::processEvents();
        return answered ? seen : QString();
    }

private slots:
    // A garbage database file met by the console's own start: the kept file is named.
    void setAsideFileIsNamed()
    {
        TestEnv env;
        const QString folder = env.home() + QStringLiteral("/data");
        QDir().mkpath(folder + QStringLiteral("/dbManagement"));
        {
            QFile file(folder + QStringLiteral("/dbManagement/QuorvinDatabase.db"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("not a database\n").repeated(300));
        }
        OrvantaDBManager::setDataFolder(folder);
        QVERIFY(OrvantaDBManager::getInstance());
        const OrvantaDBManager::StartupReport report = OrvantaDBManager::startupReport();
        QCOMPARE(report.state, OrvantaDBManager::StartupReport::Recreated);
        const QStringList kept = QDir(folder + QStringLiteral("/dbManagement"))
                                     .entryList({QStringLiteral("QuorvinDatabase.db.broken-*")}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(report.keptFile, folder + QStringLiteral("/dbManagement/") + kept.first());
        const QString text = shownText(report);
        QVERIFY2(text.contains(QDir::toNativeSeparators(report.keptFile)), qPrintable(text));
    }

    // A database of another version whose Device table has a column every new row must fill: the
    // operator reads the table and the column, not the name of the code that found them.
    void foreignColumnIsNamedWithoutCodeNames()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString folder = root.path() + QStringLiteral("/share/Quorvin");
        QDir().mkpath(folder + QStringLiteral("/dbManagement"));
        {
            DbProbe other(folder + QStringLiteral("/dbManagement/QuorvinDatabase.db"), QStringLiteral("other"));
            QVERIFY2(other.exec(QStringLiteral("CREATE TABLE Device (did INTEGER PRIMARY KEY AUTOINCREMENT, deviceName "
                                               "TEXT UNIQUE, tenant TEXT NOT NULL, macAddress TEXT UNIQUE)")),
                     qPrintable(other.lastError()));
        }
        OrvantaDBManager db(folder, QStringLiteral("foreign"));
        const DatabaseManager *manager = db.databaseManager();
        QCOMPARE(manager->openState(), DatabaseManager::Degraded);
        OrvantaDBManager::StartupReport report;
        report.state = OrvantaDBManager::StartupReport::Degraded;
        report.databaseFile = manager->databaseFilePath();
        report.detail = manager->openError();

        const QString text = shownText(report);
        QVERIFY2(text.contains(QStringLiteral("Device")) && text.contains(QStringLiteral("tenant")), qPrintable(text));
        // No function or step name such as "checkFillableTables:" in front of what went wrong.
        QVERIFY2(!text.contains(QRegularExpression(QStringLiteral("\\b[a-z]+[A-Z]\\w*:"))), qPrintable(text));
    }

    // A restore cut short between the two renames of its swap: the next start finished it, or undid it, and the
    // operator must learn which data the console runs on and where the other is kept.
    void restoreCutShortIsTold()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString folder = root.path() + QStringLiteral("/share/Quorvin");
        const QString live = folder + QStringLiteral("/dbManagement/QuorvinDatabase.db");
        {
            DatabaseManager manager(folder, QStringLiteral("cutbefore"));
        }
        const QString backup = root.path() + QStringLiteral("/backup.db");
        QCOMPARE(DatabaseFileOps::backup(live, backup), DatabaseFileOps::Ok);
        QCOMPARE(DatabaseFileOps::checkRestoreSource(live, backup), DatabaseFileOps::Ok);
        QCOMPARE(DatabaseFileOps::stageRestore(live, backup), DatabaseFileOps::Ok);
        QCOMPARE(DatabaseFileOps::setLiveAside(live), DatabaseFileOps::Ok);

        OrvantaDBManager db(folder, QStringLiteral("cutafter"));
        OrvantaDBManager::StartupReport report;
        report.databaseFile = db.databaseManager()->databaseFilePath();
        report.interruptedRestore = db.databaseManager()->interruptedRestore();
        QCOMPARE(report.interruptedRestore, DatabaseFileOps::SwapFinished);
        QString text = shownText(report);
        QVERIFY2(text.contains(QStringLiteral("restore")), qPrintable(text));
        QVERIFY2(text.contains(QDir::toNativeSeparators(DatabaseFileOps::keptPath(report.databaseFile))),
                 qPrintable(text));

        report.interruptedRestore = DatabaseFileOps::SwapUndone;
        text = shownText(report);
        QVERIFY2(text.contains(QStringLiteral("put back")), qPrintable(text));
        // Told together with whatever else the start met.
        report.state = OrvantaDBManager::StartupReport::Degraded;
        report.detail = QStringLiteral("table Device: column room");
        text = shownText(report);
        QVERIFY2(text.contains(QStringLiteral("put back")) && text.contains(report.detail), qPrintable(text));
    }

    void failuresAreNamedAndACleanStartIsQuiet()
    {
        OrvantaDBManager::StartupReport report;
        report.databaseFile = QStringLiteral("/data/dbManagement/QuorvinDatabase.db");
        QVERIFY(DatabaseStartupNotice::text(report).isEmpty());
        QVERIFY(shownText(report).isEmpty());

        report.state = OrvantaDBManager::StartupReport::Unavailable;
        report.detail = QStringLiteral("the database folder /data/dbManagement is read-only");
        QString text = shownText(report);
        QVERIFY2(text.startsWith(QStringLiteral("The database could not be opened.")), qPrintable(text));
        QVERIFY2(text.contains(report.detail), qPrintable(text));

        report.state = OrvantaDBManager::StartupReport::Degraded;
        report.detail = QStringLiteral("table Device: column room");
        text = shownText(report);
        QVERIFY2(text.contains(report.databaseFile) && text.contains(report.detail), qPrintable(text));
    }

    // On a full disk every table step of the start failed in turn, and the notice listed "commit failed" sixteen
    // times, cut off in the box, without ever saying why.
    void fullDiskIsToldOnce_data()
    {
        QTest::addColumn<int>("state");
        QTest::newRow("tables not made") << int(OrvantaDBManager::StartupReport::Degraded);
        QTest::newRow("nothing written") << int(OrvantaDBManager::StartupReport::Unavailable);
    }
    void fullDiskIsToldOnce()
    {
        QFETCH(int, state);
        OrvantaDBManager::StartupReport report;
        report.state = OrvantaDBManager::StartupReport::State(state);
        report.databaseFile = QStringLiteral("/data/dbManagement/QuorvinDatabase.db");
        QStringList steps;
        for (int n = 0; n < 16; ++n)
            steps << QStringLiteral("commit failed");
        report.detail = steps.join(QStringLiteral("; "));
        report.diskFull = true;
        const QString text = shownText(report);
        QVERIFY2(text.contains(QStringLiteral("is full")), qPrintable(text));
        QCOMPARE(text.count(QStringLiteral("full")), 1);
        QVERIFY2(text.contains(report.databaseFile), qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("commit failed")), qPrintable(text));
    }

    // A disk so full that not even the console's lock file can be written: the console said that its data folder
    // cannot be written, which sent the operator after permissions. It says that the disk is full.
    void consoleOnFullDiskSaysSo()
    {
        QTemporaryDir home;
        QTemporaryDir disk;
        QVERIFY(home.isValid() && disk.isValid());
        if (!SmallDisk::available(disk.path()))
            QSKIP("no user namespace here to mount a small disk in");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), disk.path() + QStringLiteral("/data"));
        for (const char *name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR", "XDG_RUNTIME_DIR"})
            environment.remove(QLatin1String(name));
        QProcess console;
        console.setProcessEnvironment(environment);
        console.setWorkingDirectory(QStringLiteral(QV_BUILD_DIR));
        SmallDisk::start(console, disk.path(), 256 * 1024, 0, {QStringLiteral("data/Quorvin")},
                         QStringLiteral(QV_CONSOLE), {});
        QByteArray said;
        QTRY_VERIFY((said += console.readAllStandardError()).contains("full") ||
                    console.state() == QProcess::NotRunning);
        // The notice waits for the operator; SIGTERM closes it as it ends the console's event loop.
        console.terminate();
        QVERIFY(console.state() == QProcess::NotRunning || console.waitForFinished(QuorvinTryCeilingMs));
        said += console.readAllStandardError();
        QVERIFY2(said.contains("the disk that holds its data folder is full"), said.constData());
        QVERIFY2(said.contains(QFile::encodeName(disk.path() + QStringLiteral("/data/Quorvin"))), said.constData());
        QCOMPARE(console.exitStatus(), QProcess::NormalExit);
        QCOMPARE(console.exitCode(), 2);
    }
};

QTEST_MAIN(TestDatabaseNotice)
#include "tst_databasenotice.moc"
