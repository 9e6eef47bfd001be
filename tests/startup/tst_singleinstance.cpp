#include "platform/SingleInstance.h"
#include "support/TestEnv.h"
#include "support/TryCeiling.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

// Two (or three) real processes meet through the lock file and the local socket: the stand-in
// console tests/startup/instance_helper for the protocol's cases, the console itself for the
// log-in-only hand-over, a killed holder and a clean end on SIGTERM.
class TestSingleInstance : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void secondStartRaisesMainWindowAndExits1();
    void secondStartWithoutMainWindowExitsMinus1();
    void killedHolderDoesNotBlock();
    void restartLeavesExactlyOneRunning();
    void waitsForHolderThatIsEnding();
    void silentHolderEndsWaitWithMinus1();
    void consoleHandsOverAndEndsCleanly();
    void unwritableDataFolderIsReported_data();
    void unwritableDataFolderIsReported();
    void lockPathThatIsNoFileIsReported_data();
    void lockPathThatIsNoFileIsReported();

private:
    // A start that finds the lock taken keeps asking or waiting for the whole hand-over wait (init sets it to one
    // ceiling) before it ends or takes the lock; what such a start prints or returns is waited for a ceiling beyond.
    static constexpr int HelperCeilingMs = 2 * QuorvinTryCeilingMs;

    QProcess *startHelper(const QStringList &arguments);
    bool waitForOutput(QProcess *process, const QByteArray &text, int timeout = HelperCeilingMs);
    int runHelper(const QStringList &arguments, QByteArray *output = nullptr);
    static qint64 holderPid(const QString &lockPath);
    static bool waitFor(const std::function<bool()> &condition, int timeout = QuorvinTryCeilingMs);
    static bool isAlive(qint64 pid) { return ::kill(pid_t(pid), 0) == 0; }
    QString lockPath() const;

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<QTemporaryDir> m_folder;
    QList<QProcess *> m_processes;
};

void TestSingleInstance::initTestCase()
{
    m_env.reset(new TestEnv);
    QVERIFY(m_env->isValid());
    QVERIFY(QFileInfo::exists(QStringLiteral(QV_INSTANCE_HELPER)));
}

void TestSingleInstance::init()
{
    m_folder.reset(new QTemporaryDir);
    QVERIFY(m_folder->isValid());
    // A helper that asks the holder waits as long as a loaded machine may need for the answer; the case about a
    // silent holder sets its own short wait.
    qputenv("QV_HANDOVER_WAIT", QByteArray::number(QuorvinTryCeilingMs));
}

void TestSingleInstance::cleanup()
{
    for (QProcess *process : qAsConst(m_processes)) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(QuorvinTryCeilingMs);
        }
        delete process;
    }
    m_processes.clear();
    // A restarted helper runs detached; end it through the pid in the lock.
    const qint64 pid = holderPid(lockPath());
    if (pid > 0 && isAlive(pid))
        ::kill(pid_t(pid), SIGKILL);
}

QString TestSingleInstance::lockPath() const
{
    return SingleInstance(m_folder->path(), QStringLiteral("quorvin-test-instance")).lockFilePath();
}

QProcess *TestSingleInstance::startHelper(const QStringList &arguments)
{
    auto *process = new QProcess;
    m_processes.append(process);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QStringLiteral(QV_INSTANCE_HELPER), QStringList{m_folder->path()} + arguments);
    return process;
}

bool TestSingleInstance::waitForOutput(QProcess *process, const QByteArray &text, int timeout)
{
    QElapsedTimer clock;
    clock.start();
    QByteArray seen;
    while (clock.elapsed() < timeout) {
        process->waitForReadyRead(100);
        seen += process->readAllStandardOutput();
        if (seen.contains(text)) {
            // Keep what came after for later reads.
            return true;
        }
        if (process->state() == QProcess::NotRunning && !process->bytesAvailable())
            return false;
    }
    return false;
}

int TestSingleInstance::runHelper(const QStringList &arguments, QByteArray *output)
{
    QProcess *process = startHelper(arguments);
    if (!process->waitForFinished(HelperCeilingMs))
        return -1000;
    if (output)
        *output = process->readAllStandardOutput();
    return process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -2000;
}

qint64 TestSingleInstance::holderPid(const QString &lockPath)
{
    QLockFile lock(lockPath);
    qint64 pid = 0;
    QString host, application;
    if (!lock.getLockInfo(&pid, &host, &application))
        return 0;
    return pid;
}

bool TestSingleInstance::waitFor(const std::function<bool()> &condition, int timeout)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeout)
            return false;
        QTest::qWait(50);
    }
    return true;
}

void TestSingleInstance::secondStartRaisesMainWindowAndExits1()
{
    QProcess *first = startHelper({QStringLiteral("main")});
    QVERIFY(waitForOutput(first, "acquired"));
    QCOMPARE(runHelper({QStringLiteral("main")}), 1);
    QVERIFY(waitForOutput(first, "activated"));
    QCOMPARE(first->state(), QProcess::Running);
}

void TestSingleInstance::secondStartWithoutMainWindowExitsMinus1()
{
    QProcess *first = startHelper({QStringLiteral("login")});
    QVERIFY(waitForOutput(first, "acquired"));
    QByteArray output;
    QCOMPARE(runHelper({QStringLiteral("main")}, &output), 255); // -1 as an exit status
    QVERIFY(!output.contains("acquired"));
    QCOMPARE(first->state(), QProcess::Running);
}

void TestSingleInstance::killedHolderDoesNotBlock()
{
    QProcess *first = startHelper({QStringLiteral("main")});
    QVERIFY(waitForOutput(first, "acquired"));
    first->kill(); // SIGKILL: no chance to release anything
    QVERIFY(first->waitForFinished(QuorvinTryCeilingMs));
    QVERIFY(QFileInfo::exists(lockPath()));

    QProcess *second = startHelper({QStringLiteral("main")});
    QVERIFY(waitForOutput(second, "acquired"));
    // The new holder answers later starts, so its socket replaced the dead one's.
    QCOMPARE(runHelper({QStringLiteral("login")}), 1);

    // SIGTERM ends the event loop normally, which releases the lock.
    second->terminate();
    QVERIFY(second->waitForFinished(QuorvinTryCeilingMs));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QVERIFY(!QFileInfo::exists(lockPath()));
}

void TestSingleInstance::restartLeavesExactlyOneRunning()
{
    QProcess *first = startHelper({QStringLiteral("restart"), QStringLiteral("200")});
    QVERIFY(waitForOutput(first, "acquired"));
    const qint64 firstPid = first->processId();
    QVERIFY(first->waitForFinished(QuorvinTryCeilingMs));
    QCOMPARE(first->exitCode(), 0);

    qint64 newPid = 0;
    QVERIFY(waitFor([&]() {
        newPid = holderPid(lockPath());
        return newPid > 0 && newPid != firstPid && isAlive(newPid);
    }));
    // The restarted process is the one console: it answers the next start.
    QCOMPARE(runHelper({QStringLiteral("main")}), 1);
    QVERIFY(isAlive(newPid));

    ::kill(pid_t(newPid), SIGTERM);
    QVERIFY(waitFor([&]() { return !QFileInfo::exists(lockPath()); }));
}

void TestSingleInstance::waitsForHolderThatIsEnding()
{
    // A holder that no longer answers and gives the lock up a moment later, as a console does
    // while it ends: the new start waits for the lock instead of giving up.
    QProcess *holder = startHelper({QStringLiteral("lock-only"), QStringLiteral("800")});
    QVERIFY(waitForOutput(holder, "acquired"));
    QProcess *next = startHelper({QStringLiteral("main")});
    QVERIFY(waitForOutput(next, "acquired"));
    QVERIFY(holder->waitForFinished(QuorvinTryCeilingMs));
    QCOMPARE(next->state(), QProcess::Running);
}

void TestSingleInstance::silentHolderEndsWaitWithMinus1()
{
    QProcess *holder = startHelper({QStringLiteral("lock-only"), QStringLiteral("20000")});
    QVERIFY(waitForOutput(holder, "acquired"));
    qputenv("QV_HANDOVER_WAIT", "300");
    QCOMPARE(runHelper({QStringLiteral("main")}), 255);
}

void TestSingleInstance::consoleHandsOverAndEndsCleanly()
{
    // The console itself, in its own temporary home: while it shows only its log-in window a
    // second console exits -1; killed, it does not block the next; SIGTERM ends it cleanly.
    const QString dataFolder = m_env->home() + QStringLiteral("/.local/share/Quorvin");
    auto consoleLock = [&]() {
        const QStringList locks = QDir(dataFolder).entryList({QStringLiteral("*.lock")}, QDir::Files);
        return locks.isEmpty() ? QString() : QDir(dataFolder).filePath(locks.first());
    };
    auto startConsole = [&]() {
        auto *process = new QProcess;
        m_processes.append(process);
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->setWorkingDirectory(QStringLiteral(QV_BUILD_DIR));
        process->start(QStringLiteral(QV_CONSOLE), QStringList());
        return process;
    };
    auto holdsLock = [&](QProcess *process) {
        return waitFor(
            [&]() {
                const QString lock = consoleLock();
                return !lock.isEmpty() && holderPid(lock) == process->processId();
            },
            30000);
    };

    QProcess *first = startConsole();
    QVERIFY(holdsLock(first));
    QProcess *second = startConsole();
    QVERIFY(second->waitForFinished(SingleInstance::defaultHandOverWait + QuorvinTryCeilingMs));
    QCOMPARE(second->exitCode(), 255);
    QCOMPARE(first->state(), QProcess::Running);

    first->kill();
    QVERIFY(first->waitForFinished(QuorvinTryCeilingMs));
    QProcess *third = startConsole();
    QVERIFY(holdsLock(third));
    QTest::qWait(300);
    QCOMPARE(third->state(), QProcess::Running);

    third->terminate();
    QVERIFY(third->waitForFinished(QuorvinTryCeilingMs));
    QCOMPARE(third->exitStatus(), QProcess::NormalExit);
    QCOMPARE(third->exitCode(), 0);
    QVERIFY(consoleLock().isEmpty());
    const QString logs = m_env->home() + QStringLiteral("/Documents/Velk/Log/Quorvin");
    QVERIFY(!QDir(logs).entryList({QStringLiteral("Quorvin-*.log")}, QDir::Files).isEmpty());
}

void TestSingleInstance::unwritableDataFolderIsReported_data()
{
    QTest::addColumn<QString>("layout");
    QTest::newRow("read-only data folder") << "read-only";
    // XDG_DATA_HOME names a folder not made yet, inside one that cannot be written.
    QTest::newRow("data home cannot be made") << "cannot make";
    // A console was killed, then the folder became read-only (a disk remounted after errors): the
    // stale lock cannot be replaced.
    QTest::newRow("lock left by a killed console") << "stale lock";
}

// A data folder in which the console cannot make its lock file: it names the folder and ends
// non-zero, instead of waiting for a console that does not exist and ending without a word. Run as
// an unprivileged user when the test runs as root, since permissions do not bind root.
void TestSingleInstance::unwritableDataFolderIsReported()
{
    QFETCH(QString, layout);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QVERIFY(::chmod(QFile::encodeName(home.path()).constData(), 0755) == 0);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home.path());
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR", "XDG_RUNTIME_DIR"})
        environment.remove(QLatin1String(name));
    QString dataHome = home.path() + QStringLiteral("/.local/share");
    QStringList frozen;

    auto console = [&](bool unprivileged) {
        auto *process = new QProcess;
        m_processes.append(process);
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(QStringLiteral(QV_BUILD_DIR));
        if (unprivileged && geteuid() == 0)
            process->start(QStringLiteral(QV_AS_USER), {QStringLiteral("65534"), QStringLiteral(QV_CONSOLE)});
        else
            process->start(QStringLiteral(QV_CONSOLE), QStringList());
        return process;
    };

    if (layout == QLatin1String("cannot make")) {
        const QString locked = home.path() + QStringLiteral("/locked");
        QVERIFY(QDir().mkpath(locked));
        frozen << locked;
        dataHome = locked + QStringLiteral("/data");
    } else {
        QVERIFY(QDir().mkpath(dataHome + QStringLiteral("/Quorvin")));
        frozen << dataHome + QStringLiteral("/Quorvin");
    }
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    const QString dataFolder = dataHome + QStringLiteral("/Quorvin");

    if (layout == QLatin1String("stale lock")) {
        QProcess *first = console(false);
        QVERIFY(waitFor(
            [&]() {
                const QStringList locks = QDir(dataFolder).entryList({QStringLiteral("*.lock")}, QDir::Files);
                return !locks.isEmpty() && holderPid(QDir(dataFolder).filePath(locks.first())) == first->processId();
            },
            30000));
        first->kill();
        QVERIFY(first->waitForFinished(QuorvinTryCeilingMs));
    }
    for (const QString &folder : qAsConst(frozen))
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);

    QProcess *process = console(true);
    QByteArray said;
    const bool named = waitFor(
        [&]() {
            said += process->readAllStandardError();
            return said.contains(QFile::encodeName(QDir::toNativeSeparators(dataFolder))) ||
                   process->state() == QProcess::NotRunning;
        },
        30000);
    // The notice waits for the operator; SIGTERM closes it as it ends the console's event loop.
    process->terminate();
    const bool ended = process->state() == QProcess::NotRunning || process->waitForFinished(QuorvinTryCeilingMs);
    said += process->readAllStandardError();
    for (const QString &folder : qAsConst(frozen))
        ::chmod(QFile::encodeName(folder).constData(), 0755);
    QVERIFY(named);
    QVERIFY(ended);
    QVERIFY2(said.contains(QFile::encodeName(QDir::toNativeSeparators(dataFolder))), said.constData());
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 2);
}

void TestSingleInstance::lockPathThatIsNoFileIsReported_data()
{
    QTest::addColumn<QString>("layout");
    QTest::newRow("folder") << "folder";
    QTest::newRow("dangling link") << "dangling link";
}

// A folder or a link to nothing where the lock file belongs looks like a lock that is taken, but no
// console holds it or ever frees it. The start says so at once, as for a data folder that cannot be
// written, instead of waiting for an answer and ending with -1 without a word.
void TestSingleInstance::lockPathThatIsNoFileIsReported()
{
    QFETCH(QString, layout);
    const auto block = [&layout](const QString &path) {
        if (layout == QLatin1String("folder"))
            return QDir().mkpath(path);
        return QFile::link(QFileInfo(path).absolutePath() + QStringLiteral("/gone/nothing.lock"), path);
    };

    QVERIFY(block(lockPath()));
    SingleInstance instance(m_folder->path(), QStringLiteral("quorvin-test-instance"));
    instance.setHandOverWait(300);
    QCOMPARE(instance.acquire(), SingleInstance::LockPathTaken);
    QVERIFY(instance.lockError().contains(lockPath()));
    QCOMPARE(SingleInstance::exitCodeFor(SingleInstance::LockPathTaken), 2);

    // The console itself, with its data folder prepared the same way.
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString dataFolder = home.path() + QStringLiteral("/data/Quorvin");
    QVERIFY(QDir().mkpath(dataFolder));
    const QString consoleLock =
        SingleInstance(dataFolder, QStringLiteral("5e0b7c1a-93d4-4f2e-b861-2c7a4d90e3f5")).lockFilePath();
    QVERIFY(block(consoleLock));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR", "XDG_RUNTIME_DIR"})
        environment.remove(QLatin1String(name));
    auto *process = new QProcess;
    m_processes.append(process);
    process->setProcessEnvironment(environment);
    process->setWorkingDirectory(QStringLiteral(QV_BUILD_DIR));
    process->start(QStringLiteral(QV_CONSOLE), QStringList());
    QByteArray said;
    const QByteArray named = QFile::encodeName(QDir::toNativeSeparators(consoleLock));
    const bool told = waitFor([&]() {
        said += process->readAllStandardError();
        return said.contains(named) || process->state() == QProcess::NotRunning;
    });
    // The notice waits for the operator; SIGTERM closes it as it ends the console's event loop.
    process->terminate();
    QVERIFY(process->state() == QProcess::NotRunning || process->waitForFinished(QuorvinTryCeilingMs));
    said += process->readAllStandardError();
    QVERIFY(told);
    QVERIFY2(said.contains(named), said.constData());
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 2);
    // The log tells why as well.
    const QString logs = home.path() + QStringLiteral("/Documents/Velk/Log/Quorvin");
    QStringList logged;
    for (const QString &name : QDir(logs).entryList({QStringLiteral("Quorvin-*.log")}, QDir::Files)) {
        QFile file(QDir(logs).filePath(name));
        if (file.open(QIODevice::ReadOnly))
            logged << QString::fromUtf8(file.readAll());
    }
    QVERIFY2(logged.join(QString()).contains(consoleLock), qPrintable(logs));
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
