// The system clock's notice of a moved wall clock: through its readings seam, and as built, under a faked wall clock
// in a child process.
#include "platform/WallClockSetNotifier.h"
#include "shell/base/Clock.h"
#include "support/MovableTime.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

namespace {

// Long enough for a few compares; what must come, comes within a few seconds.
constexpr int kQuietMs = 3 * SystemClock::CheckIntervalMs + 500;
constexpr int kReportMs = 5000;

// The child's side of systemClockUnderFakedTime: the production clock, one line per jump.
int watchClock(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Clock *clock = Clock::system();
    const auto say = [clock](const char *what) {
        std::printf("%s %lld\n", what, static_cast<long long>(clock->now().toMSecsSinceEpoch()));
        std::fflush(stdout);
    };
    QObject::connect(clock, &Clock::jumped, &app, [say] { say("jumped"); });
    say("ready");
    return app.exec();
}

} // namespace

class TestClock : public QObject
{
    Q_OBJECT

private slots:
    void quietWhileTheClocksRunTogether();
    void movedWallClockIsReported_data();
    void movedWallClockIsReported();
    void setClockIsReportedAtOnce();
    void systemClockUnderFakedTime();
};

// A time sync's small step, and time running on, are not jumps.
void TestClock::quietWhileTheClocksRunTogether()
{
    MovableTime time(QDateTime(QDate(2024, 5, 8), QTime(9, 59)));
    QElapsedTimer ran;
    ran.start();
    SystemClock clock(time.readings());
    QSignalSpy jumped(&clock, &Clock::jumped);
    QVERIFY(!jumped.wait(kQuietMs));
    time.setWall(time.now().addMSecs(SystemClock::JumpMs - 500));
    QVERIFY(!jumped.wait(kQuietMs));
    QVERIFY(qAbs(clock.elapsedMs() - ran.elapsed()) < 100);
    QVERIFY(qAbs(clock.now().msecsTo(time.now())) < 100);
}

void TestClock::movedWallClockIsReported_data()
{
    QTest::addColumn<qint64>("byMs");
    const qint64 hour = 3600 * 1000;
    QTest::newRow("asleep overnight") << 15 * hour;
    QTest::newRow("set back a day") << -24 * hour;
    QTest::newRow("just past the bound") << SystemClock::JumpMs + 1000;
}

// Forward or back, once within a few seconds and then quiet; the elapsed reading runs on regardless. Each move is
// undone at the end, which is a move the other way.
void TestClock::movedWallClockIsReported()
{
    QFETCH(qint64, byMs);
    MovableTime time(QDateTime(QDate(2024, 5, 6), QTime(9, 58)));
    SystemClock clock(time.readings());
    QSignalSpy jumped(&clock, &Clock::jumped);
    QVERIFY(!jumped.wait(SystemClock::CheckIntervalMs + 500));

    const qint64 elapsedBefore = clock.elapsedMs();
    const QDateTime to = time.now().addMSecs(byMs);
    time.setWall(to);
    QElapsedTimer took;
    took.start();
    QVERIFY(jumped.wait(kReportMs));
    QVERIFY2(took.elapsed() < kReportMs, qPrintable(QString::number(took.elapsed())));
    QVERIFY(qAbs(clock.now().msecsTo(to)) < kReportMs);
    const qint64 elapsedRan = clock.elapsedMs() - elapsedBefore;
    QVERIFY(elapsedRan >= 0 && elapsedRan < kReportMs);
    QVERIFY(!jumped.wait(kQuietMs));
    QCOMPARE(jumped.count(), 1);

    // And back where it was: a jump again.
    time.setWall(time.now().addMSecs(-byMs));
    QVERIFY(jumped.wait(kReportMs));
    QCOMPARE(jumped.count(), 2);
}

// What the system's notice of a set clock runs: the compare, at once, and one report per move.
void TestClock::setClockIsReportedAtOnce()
{
    MovableTime time(QDateTime(QDate(2024, 5, 6), QTime(9, 58)));
    SystemClock clock(time.readings());
    QSignalSpy jumped(&clock, &Clock::jumped);
    time.setWall(QDateTime(QDate(2024, 5, 7), QTime(17, 59)));
    clock.checkForJump();
    QCOMPARE(jumped.count(), 1);
    clock.checkForJump();
    QCOMPARE(jumped.count(), 1);
    time.setWall(time.now().addMSecs(SystemClock::JumpMs / 2));
    clock.checkForJump();
    QCOMPARE(jumped.count(), 1);
#if defined(Q_OS_LINUX)
    // Without it the notice would come at the next compare only.
    WallClockSetNotifier notifier;
    QVERIFY(notifier.isActive());
#endif
}

// The clock as the console makes it, its wall clock moved by libfaketime while the monotonic clock runs on untouched,
// as a set clock or a night asleep leaves them.
void TestClock::systemClockUnderFakedTime()
{
    QString library;
    for (const char *path :
         {"/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1", "/usr/lib/faketime/libfaketime.so.1",
          "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1"}) {
        if (QFile::exists(QString::fromLatin1(path)))
            library = QString::fromLatin1(path);
    }
    if (library.isEmpty())
        QSKIP("libfaketime is not installed here (scripts/install-deps.sh installs it)");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString offsetFile = dir.filePath("offset");
    // Replaced whole: the child reads the file at every clock reading and must never see it half written.
    const auto setOffset = [&](const QByteArray &offset) {
        QSaveFile file(offsetFile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(offset + '\n');
        QVERIFY(file.commit());
    };
    setOffset("+0");

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LD_PRELOAD", library);
    env.insert("FAKETIME_TIMESTAMP_FILE", offsetFile);
    env.insert("FAKETIME_NO_CACHE", "1");
    env.insert("FAKETIME_DONT_FAKE_MONOTONIC", "1");
    // Under AddressSanitizer the preloaded library comes before ASan's runtime, which ASan refuses by default; the
    // two intercept different calls, so the order does not matter here.
    QString asanOptions = env.value("ASAN_OPTIONS");
    if (!asanOptions.isEmpty())
        asanOptions += QLatin1Char(':');
    env.insert("ASAN_OPTIONS", asanOptions + QStringLiteral("verify_asan_link_order=0"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {"--watch-clock"});
    QVERIFY(child.waitForStarted(30000));
    QStringList lines;
    const auto readLines = [&] {
        while (child.canReadLine())
            lines.append(QString::fromLatin1(child.readLine()).trimmed());
        return lines.size();
    };
    // Each line: what happened and the child's wall clock then, in ms since the epoch.
    const auto faked = [&](int line) {
        return lines.value(line).section(' ', 1).toLongLong() - QDateTime::currentMSecsSinceEpoch();
    };
    QTRY_COMPARE_WITH_TIMEOUT(readLines(), 1, 30000);
    QVERIFY(lines.at(0).startsWith("ready"));
    QVERIFY(qAbs(faked(0)) < 5000);
    QTest::qWait(kQuietMs);
    QCOMPARE(readLines(), 1);

    setOffset("+2h");
    QTRY_COMPARE_WITH_TIMEOUT(readLines(), 2, kReportMs);
    QVERIFY(lines.at(1).startsWith("jumped"));
    QVERIFY(qAbs(faked(1) - 2 * 3600 * 1000) < 5000);

    setOffset("-1d");
    QTRY_COMPARE_WITH_TIMEOUT(readLines(), 3, kReportMs);
    QVERIFY(lines.at(2).startsWith("jumped"));
    QVERIFY(qAbs(faked(2) + 24 * 3600 * 1000) < 5000);
    QTest::qWait(kQuietMs);
    QCOMPARE(readLines(), 3);

    child.kill();
    QVERIFY(child.waitForFinished(30000));
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--watch-clock") == 0)
        return watchClock(argc, argv);
    QCoreApplication app(argc, argv);
    TestClock test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_shellkit_clock.moc"
