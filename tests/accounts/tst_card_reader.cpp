// The card-reader launcher and the process probe that stands in for "tasklist", against real
// processes: a stand-in program copied under the reader's name into a temporary working folder. The probes look only
// at the processes this test started (OwnProcessProbe), whatever else runs on the machine.

#include "platform/CardReaderLauncher.h"
#include "platform/FakeProcessProbe.h"
#include "platform/ProcProcessProbe.h"
#include "platform/ProcessCardReaderLauncher.h"
#include "platform/TasklistProcessProbe.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "support/OwnProcessProbe.h"

class TestCardReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void probeFindsProgramByImageName();
    void probeConfirmsLongNamesAndSkipsZombies();
    void tasklistAnswer_data();
    void tasklistAnswer();
    void launcherStartsOnceAndEndsWhatItStarted();
    void launcherLeavesAProgramItDidNotStart();
    void launcherNeedsAnExecutableFile();

private:
    // Copies the stand-in to <folder>/<relative> and makes it executable.
    bool installStandIn(const QString &path);
    int startsLogged() const;

    QTemporaryDir m_dir;
    OwnProcessProbe m_probe;
    QString m_log;
    QString m_previousFolder;
    QList<QProcess *> m_external;
};

void TestCardReader::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_log = m_dir.filePath(QStringLiteral("starts.log"));
    qputenv("CARD_READER_STANDIN_LOG", QFile::encodeName(m_log));
    m_previousFolder = QDir::currentPath();
}

void TestCardReader::cleanup()
{
    for (QProcess *process : qAsConst(m_external)) {
        process->kill();
        process->waitForFinished(QuorvinTryCeilingMs);
        delete process;
    }
    m_external.clear();
    QFile::remove(m_log);
    QDir::setCurrent(m_previousFolder);
}

bool TestCardReader::installStandIn(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    return QFile::copy(QStringLiteral(CARD_READER_STANDIN), path) &&
           QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

int TestCardReader::startsLogged() const
{
    QFile file(m_log);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().count('\n');
}

void TestCardReader::probeFindsProgramByImageName()
{
    const QString path = m_dir.filePath(QStringLiteral("elsewhere/DidAvav.exe"));
    QVERIFY(installStandIn(path));
    const OwnProcessProbe &probe = m_probe;
    QVERIFY(!probe.isRunning(QStringLiteral("DidAvav.exe")));

    auto *process = new QProcess;
    m_external << process;
    process->start(path, QStringList());
    QVERIFY(process->waitForStarted());
    QTRY_COMPARE(startsLogged(), 1);
    QVERIFY(probe.isRunning(QStringLiteral("DidAvav.exe")));
    QVERIFY(!probe.isRunning(QStringLiteral("didavav.exe")));
    QVERIFY(!probe.isRunning(QStringLiteral("DidAvav")));
    QVERIFY(!probe.isRunning(QString()));

    process->kill();
    QVERIFY(process->waitForFinished());
    QVERIFY(!probe.isRunning(QStringLiteral("DidAvav.exe")));
}

// The kernel keeps 15 bytes of a name, and an ended child stays in the table until collected.
void TestCardReader::probeConfirmsLongNamesAndSkipsZombies()
{
    const QString path = m_dir.filePath(QStringLiteral("long/CardReaderProgram.exe"));
    QVERIFY(installStandIn(path));
    auto *process = new QProcess;
    m_external << process;
    process->start(path, QStringList());
    QVERIFY(process->waitForStarted());
    QTRY_COMPARE(startsLogged(), 1);
    const OwnProcessProbe &probe = m_probe;
    QVERIFY(probe.isRunning(QStringLiteral("CardReaderProgram.exe")));
    QVERIFY(!probe.isRunning(QStringLiteral("CardReaderProgXX.exe")));

    QTemporaryDir fakeProc;
    const auto entry = [&](const QString &pid, const QByteArray &comm, const QByteArray &stat) {
        QDir().mkpath(fakeProc.filePath(pid));
        QFile c(fakeProc.filePath(pid + "/comm"));
        QFile s(fakeProc.filePath(pid + "/stat"));
        return c.open(QIODevice::WriteOnly) && c.write(comm) && s.open(QIODevice::WriteOnly) && s.write(stat);
    };
    QVERIFY(entry(QStringLiteral("12"), "DidAvav.exe\n", "12 (DidAvav.exe) Z 1 12 12"));
    QVERIFY(entry(QStringLiteral("self"), "DidAvav.exe\n", "13 (DidAvav.exe) S 1 13 13"));
    ProcProcessProbe fake(fakeProc.path());
    QVERIFY(!fake.isRunning(QStringLiteral("DidAvav.exe")));
    QVERIFY(entry(QStringLiteral("14"), "DidAvav.exe\n", "14 (Did) Avav.exe) S 1 14 14"));
    QVERIFY(fake.isRunning(QStringLiteral("DidAvav.exe")));
}

void TestCardReader::tasklistAnswer_data()
{
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<bool>("running");
    QTest::newRow("match") << QByteArray("\"DidAvav.exe\",\"4120\",\"Console\",\"1\",\"9,120 K\"\r\n") << true;
    QTest::newRow("no task") << QByteArray("INFO: No tasks are running which match the specified criteria.\r\n")
                             << false;
    QTest::newRow("other case") << QByteArray("\"didavav.exe\",\"4120\"") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestCardReader::tasklistAnswer()
{
    QFETCH(QByteArray, output);
    QFETCH(bool, running);
    QCOMPARE(TasklistProcessProbe::parse(output, QStringLiteral("DidAvav.exe")), running);
}

void TestCardReader::launcherStartsOnceAndEndsWhatItStarted()
{
    QVERIFY(installStandIn(CardReaderLauncher::programPath(m_dir.path())));
    QVERIFY(QDir::setCurrent(m_dir.path()));
    ProcessCardReaderLauncher launcher(&m_probe);
    QSignalSpy started(&launcher, &CardReaderLauncher::started);

    QCOMPARE(launcher.start(), CardReaderLauncher::Started);
    QTRY_COMPARE(started.count(), 1);
    QTRY_COMPARE(startsLogged(), 1);
    QCOMPARE(launcher.start(), CardReaderLauncher::Started);
    QTest::qWait(50);
    QCOMPARE(startsLogged(), 1);

    QVERIFY(launcher.stop());
    QVERIFY(!m_probe.isRunning(CardReaderLauncher::imageName()));
    QVERIFY(!launcher.stop());

    // Shown again after a close: a new program.
    QCOMPARE(launcher.start(), CardReaderLauncher::Started);
    QTRY_COMPARE(startsLogged(), 2);
    QVERIFY(launcher.stop());
}

void TestCardReader::launcherLeavesAProgramItDidNotStart()
{
    const QString path = CardReaderLauncher::programPath(m_dir.path());
    QVERIFY(installStandIn(path));
    QVERIFY(QDir::setCurrent(m_dir.path()));
    auto *other = new QProcess;
    m_external << other;
    other->start(path, QStringList());
    QVERIFY(other->waitForStarted());
    QTRY_COMPARE(startsLogged(), 1);

    ProcessCardReaderLauncher launcher(&m_probe);
    QCOMPARE(launcher.start(), CardReaderLauncher::AlreadyRunning);
    QVERIFY(!launcher.stop());
    QCOMPARE(other->state(), QProcess::Running);
    QCOMPARE(startsLogged(), 1);

    FakeProcessProbe probe;
    probe.running << CardReaderLauncher::imageName();
    ProcessCardReaderLauncher probed(&probe);
    QCOMPARE(probed.start(), CardReaderLauncher::AlreadyRunning);
    QCOMPARE(probe.asked, 1);
}

void TestCardReader::launcherNeedsAnExecutableFile()
{
    ProcessCardReaderLauncher launcher(&m_probe);
    launcher.setWorkingFolder(m_dir.filePath(QStringLiteral("empty")));
    QCOMPARE(launcher.start(), CardReaderLauncher::NotFound);

    const QString path = CardReaderLauncher::programPath(m_dir.filePath(QStringLiteral("plain")));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    launcher.setWorkingFolder(m_dir.filePath(QStringLiteral("plain")));
    QCOMPARE(launcher.start(), CardReaderLauncher::NotFound);
    QVERIFY(!launcher.stop());
}

QTEST_GUILESS_MAIN(TestCardReader)
#include "tst_card_reader.moc"
