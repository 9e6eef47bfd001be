#include "platform/SingleInstance.h"
#include "support/ProbeUser.h"
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
#include <sys/file.h>
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
    void secondStartRaisesMainWindowAndExits0();
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
    void lockNamingNoConsoleHere_data();
    void lockNamingNoConsoleHere();
    void consoleTakesOverUnreadableLock_data();
    void consoleTakesOverUnreadableLock();
    void consoleReportsLockOfOtherComputer();
    void secondConsoleSaysWhatBecameOfItsStart();

private:
    // A start that finds the lock taken keeps asking or waiting for the whole hand-over wait (init sets it to one
    // ceiling) before it ends or takes the lock; what such a start prints or returns is waited for a ceiling beyond.
    static constexpr int HelperCeilingMs = 2 * QuorvinTryCeilingMs;
    // The key by which consoles of one user find each other.
    static constexpr const char *ConsoleKey = "5e0b7c1a-93d4-4f2e-b861-2c7a4d90e3f5";

    QProcess *startHelper(const QStringList &arguments);
    bool waitForOutput(QProcess *process, const QByteArray &text, int timeout = HelperCeilingMs);
    int runHelper(const QStringList &arguments, QByteArray *output = nullptr);
    static qint64 holderPid(const QString &lockPath);
    static bool waitFor(const std::function<bool()> &condition, int timeout = QuorvinTryCeilingMs);
    static bool isAlive(qint64 pid) { return ::kill(pid_t(pid), 0) == 0; }
    QString lockPath() const;
    // The console itself with its home (and data folder) in home; standard error is kept apart.
    QProcess *startConsoleIn(const QString &home);
    static QString consoleLockIn(const QString &home);
    static QString consoleLogIn(const QString &home);

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

void TestSingleInstance::secondStartRaisesMainWindowAndExits0()
{
    QProcess *first = startHelper({QStringLiteral("main")});
    QVERIFY(waitForOutput(first, "acquired"));
    // The start did what it could: the running console is in front.
    QCOMPARE(runHelper({QStringLiteral("main")}), 0);
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
    QCOMPARE(runHelper({QStringLiteral("login")}), 0);

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
    QCOMPARE(runHelper({QStringLiteral("main")}), 0);
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
    if (!probeUserCanBeMade())
        QSKIP(kNoProbeUser);
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
            process->start(QStringLiteral(QV_AS_USER), {QString::number(kProbeUid), QStringLiteral(QV_CONSOLE)});
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
    const QString consoleLock = consoleLockIn(home.path());
    QVERIFY(QFileInfo(consoleLock).dir().exists());
    QVERIFY(block(consoleLock));
    QProcess *process = startConsoleIn(home.path());
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
    const QString logged = consoleLogIn(home.path());
    QVERIFY2(logged.contains(consoleLock), qPrintable(logged));
}

QProcess *TestSingleInstance::startConsoleIn(const QString &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    for (const char *name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DOCUMENTS_DIR", "XDG_RUNTIME_DIR"})
        environment.remove(QLatin1String(name));
    auto *process = new QProcess;
    m_processes.append(process);
    process->setProcessEnvironment(environment);
    process->setWorkingDirectory(QStringLiteral(QV_BUILD_DIR));
    process->start(QStringLiteral(QV_CONSOLE), QStringList());
    return process;
}

QString TestSingleInstance::consoleLockIn(const QString &home)
{
    const QString dataFolder = home + QStringLiteral("/data/Quorvin");
    QDir().mkpath(dataFolder);
    return SingleInstance(dataFolder, QString::fromLatin1(ConsoleKey)).lockFilePath();
}

QString TestSingleInstance::consoleLogIn(const QString &home)
{
    const QString logs = home + QStringLiteral("/Documents/Velk/Log/Quorvin");
    QString logged;
    for (const QString &name : QDir(logs).entryList({QStringLiteral("Quorvin-*.log")}, QDir::Files)) {
        QFile file(QDir(logs).filePath(name));
        if (file.open(QIODevice::ReadOnly))
            logged += QString::fromUtf8(file.readAll());
    }
    return logged;
}

namespace {
const char *const otherComputer = "far-away-host";

// What the lock library writes: process id, program, host name, machine id, boot id.
QByteArray lockContent(qint64 pid, const QByteArray &host, const QByteArray &machineId = QByteArray(),
                       const QByteArray &bootId = QByteArray())
{
    QByteArray content = QByteArray::number(pid) + "\nQuorvin\n" + host + '\n';
    if (!machineId.isEmpty())
        content += machineId + '\n' + bootId + '\n';
    return content;
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}
} // namespace

void TestSingleInstance::lockNamingNoConsoleHere_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("heldOpen");
    QTest::addColumn<int>("outcome");
    // A process id no process can have.
    const qint64 nobody = 0x7ffffffe;
    // What ext4 commonly leaves when the power fails just after the file was created.
    QTest::newRow("zero bytes") << QByteArray() << false << int(SingleInstance::Acquired);
    QTest::newRow("garbage") << QByteArray("\x00\x17\xfe lock?\xff\x01", 11) << false << int(SingleInstance::Acquired);
    // A console that has just made the file and not yet written it keeps it.
    QTest::newRow("zero bytes of a console still writing it")
        << QByteArray() << true << int(SingleInstance::NoMainWindow);
    QTest::newRow("another computer's name")
        << lockContent(nobody, otherComputer) << false << int(SingleInstance::OtherComputer);
    QTest::newRow("another computer's machine id")
        << lockContent(nobody, otherComputer, "0123456789abcdef0123456789abcdef", "boot") << false
        << int(SingleInstance::OtherComputer);
    // This computer under an older name: its machine id says so, and the process is gone.
    const QByteArray ownId = QSysInfo::machineUniqueId();
    if (!ownId.isEmpty()) {
        QTest::newRow("this computer renamed") << lockContent(nobody, otherComputer, ownId, QSysInfo::bootUniqueId())
                                               << false << int(SingleInstance::Acquired);
    }
}

// With no stale time a lock is judged only by the process it names on this computer. An empty or
// garbled lock names none, and one from another computer is never stale: every start waited its
// hand-over wait and ended with -1 without a word, for good.
void TestSingleInstance::lockNamingNoConsoleHere()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, heldOpen);
    QFETCH(int, outcome);
    QVERIFY(writeFile(lockPath(), content));
    QFile held(lockPath());
    if (heldOpen) {
        QVERIFY(held.open(QIODevice::ReadOnly));
        QVERIFY(::flock(held.handle(), LOCK_EX | LOCK_NB) == 0);
    }

    SingleInstance instance(m_folder->path(), QStringLiteral("quorvin-test-instance"));
    instance.setHandOverWait(300);
    QCOMPARE(int(instance.acquire()), outcome);
    switch (outcome) {
    case SingleInstance::Acquired:
        QCOMPARE(holderPid(lockPath()), QCoreApplication::applicationPid());
        // Taken over is told (the console logs it); a stale lock of this computer is replaced as always.
        QCOMPARE(instance.lockNote().contains(lockPath()),
                 QByteArray(QTest::currentDataTag()) != "this computer renamed");
        instance.release();
        QVERIFY(!QFileInfo::exists(lockPath()));
        break;
    case SingleInstance::OtherComputer:
        QCOMPARE(instance.lockHost(), QString::fromLatin1(otherComputer));
        QVERIFY(instance.lockError().contains(lockPath()));
        QVERIFY(instance.lockError().contains(QLatin1String(otherComputer)));
        QCOMPARE(SingleInstance::exitCodeFor(SingleInstance::OtherComputer), 2);
        QCOMPARE(readFile(lockPath()), content);
        break;
    default:
        QVERIFY(!instance.isHeld());
        QVERIFY(instance.lockNote().isEmpty());
        QCOMPARE(readFile(lockPath()), content);
        break;
    }
}

void TestSingleInstance::consoleTakesOverUnreadableLock_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("zero bytes") << QByteArray();
    QTest::newRow("garbage") << QByteArray("\x00\x17\xfe lock?\xff\x01", 11);
}

// The console itself: it waits its hand-over wait, takes the lock over, says so in its log and runs.
void TestSingleInstance::consoleTakesOverUnreadableLock()
{
    QFETCH(QByteArray, content);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString consoleLock = consoleLockIn(home.path());
    QVERIFY(writeFile(consoleLock, content));

    QProcess *process = startConsoleIn(home.path());
    QVERIFY(waitFor(
        [&]() { return holderPid(consoleLock) == process->processId() || process->state() == QProcess::NotRunning; },
        SingleInstance::defaultHandOverWait + QuorvinTryCeilingMs));
    QTest::qWait(300);
    QCOMPARE(process->state(), QProcess::Running);
    QCOMPARE(holderPid(consoleLock), process->processId());
    QVERIFY(waitFor([&]() { return consoleLogIn(home.path()).contains(consoleLock); }));

    process->terminate();
    QVERIFY(process->waitForFinished(QuorvinTryCeilingMs));
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 0);
    QVERIFY(!QFileInfo::exists(consoleLock));
}

// A console on another computer may use this data folder through a shared home: the console names
// the lock and that computer (dialog, standard error, log) and ends with 2, leaving the lock alone.
void TestSingleInstance::consoleReportsLockOfOtherComputer()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString consoleLock = consoleLockIn(home.path());
    const QByteArray content = lockContent(4242, otherComputer);
    QVERIFY(writeFile(consoleLock, content));

    QProcess *process = startConsoleIn(home.path());
    QByteArray said;
    const QByteArray named = QFile::encodeName(QDir::toNativeSeparators(consoleLock));
    const bool told = waitFor(
        [&]() {
            said += process->readAllStandardError();
            return (said.contains(named) && said.contains(otherComputer)) || process->state() == QProcess::NotRunning;
        },
        SingleInstance::defaultHandOverWait + QuorvinTryCeilingMs);
    // The notice waits for the operator; SIGTERM closes it as it ends the console's event loop.
    process->terminate();
    QVERIFY(process->state() == QProcess::NotRunning || process->waitForFinished(QuorvinTryCeilingMs));
    said += process->readAllStandardError();
    QVERIFY(told);
    QVERIFY2(said.contains(named) && said.contains(otherComputer), said.constData());
    QCOMPARE(process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(process->exitCode(), 2);
    QCOMPARE(readFile(consoleLock), content);
    const QString logged = consoleLogIn(home.path());
    QVERIFY2(logged.contains(consoleLock) && logged.contains(QLatin1String(otherComputer)), qPrintable(logged));
}

// A second start of the console while one runs: it brought the running console's main window forward and ended
// with 1 and without a word, as if it had failed; a running console without a main window gave -1, as silently.
void TestSingleInstance::secondConsoleSaysWhatBecameOfItsStart()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QString dataFolder = QFileInfo(consoleLockIn(home.path())).path();
    // A stand-in for the running console: the console's own lock and key, answering as the console does.
    const auto holdAs = [&](const char *mode) {
        auto *holder = new QProcess;
        m_processes.append(holder);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QV_INSTANCE_KEY"), QString::fromLatin1(ConsoleKey));
        holder->setProcessEnvironment(environment);
        holder->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        holder->start(QStringLiteral(QV_INSTANCE_HELPER), {dataFolder, QString::fromLatin1(mode)});
        return holder;
    };

    QProcess *running = holdAs("main");
    QVERIFY(waitForOutput(running, "acquired"));
    QProcess *second = startConsoleIn(home.path());
    QVERIFY(second->waitForFinished(HelperCeilingMs));
    QVERIFY(waitForOutput(running, "activated"));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    const QByteArray said = second->readAllStandardOutput();
    QVERIFY2(said.contains("already running") && said.contains("brought forward"), said.constData());
    running->kill();
    QVERIFY(running->waitForFinished(QuorvinTryCeilingMs));

    QProcess *atLogIn = holdAs("login");
    QVERIFY(waitForOutput(atLogIn, "acquired"));
    QProcess *third = startConsoleIn(home.path());
    QVERIFY(third->waitForFinished(HelperCeilingMs));
    QCOMPARE(third->exitCode(), 255); // -1 as an exit status
    const QByteArray told = third->readAllStandardError();
    QVERIFY2(told.contains("already running") && told.contains("no main window"), told.constData());
    QCOMPARE(atLogIn->state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
