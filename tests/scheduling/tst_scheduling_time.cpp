#include "SchedulingTestSupport.h"

#include "scheduling/DeviceControlRunner.h"
#include "shell/base/ScheduleTime.h"

// Weekly times in a zone with daylight saving (the test runs with TZ=Europe/Berlin: spring forward on 2027-03-28 at
// 02:00, fall back on 2027-10-31 at 03:00).
class TestSchedulingTime : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void storedTimes_data();
    void storedTimes();
    void occurrences_data();
    void occurrences();
    void runnerAcrossDaylightSaving();

private:
    std::unique_ptr<SchedulingFixture> m_fx;
};

void TestSchedulingTime::initTestCase()
{
    QCOMPARE(qgetenv("TZ"), QByteArray("Europe/Berlin"));
    QCOMPARE(QDateTime(QDate(2027, 7, 1), QTime(12, 0)).offsetFromUtc(), 7200);
    m_fx.reset(new SchedulingFixture);
}

void TestSchedulingTime::storedTimes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QTime>("time"); // invalid: refused
    QTest::newRow("editor") << "07:05" << QTime(7, 5);
    QTest::newRow("midnight") << "00:00" << QTime(0, 0);
    QTest::newRow("last minute") << "23:59" << QTime(23, 59);
    QTest::newRow("short digits") << "8:5" << QTime(8, 5);
    QTest::newRow("hour 24") << "24:00" << QTime();
    QTest::newRow("minute 60") << "12:60" << QTime();
    QTest::newRow("no colon") << "1200" << QTime();
    QTest::newRow("seconds") << "12:00:00" << QTime();
    QTest::newRow("blank") << " 7:05" << QTime();
    QTest::newRow("empty") << "" << QTime();
    QTest::newRow("three digits") << "007:05" << QTime();
}

void TestSchedulingTime::storedTimes()
{
    QFETCH(QString, text);
    QFETCH(QTime, time);
    QTime read;
    QCOMPARE(ScheduleTime::parseTimeOfDay(text, &read), time.isValid());
    if (time.isValid())
        QCOMPARE(read, time);
}

void TestSchedulingTime::occurrences_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<qint64>("utcSecs"); // 0: no instant
    const auto utc = [](int mo, int d, int h, int mi) {
        return QDateTime(QDate(2027, mo, d), QTime(h, mi), Qt::UTC).toSecsSinceEpoch();
    };
    QTest::newRow("winter") << QDate(2027, 3, 21) << QTime(2, 30) << utc(3, 21, 1, 30);
    QTest::newRow("in the gap: first minute after it") << QDate(2027, 3, 28) << QTime(2, 30) << utc(3, 28, 1, 0);
    QTest::newRow("gap start") << QDate(2027, 3, 28) << QTime(2, 0) << utc(3, 28, 1, 0);
    QTest::newRow("after the gap") << QDate(2027, 3, 28) << QTime(3, 0) << utc(3, 28, 1, 0);
    QTest::newRow("summer, same wall time") << QDate(2027, 4, 4) << QTime(2, 30) << utc(4, 4, 0, 30);
    QTest::newRow("repeated hour: first") << QDate(2027, 10, 31) << QTime(2, 30) << utc(10, 31, 0, 30);
    QTest::newRow("after the repeat") << QDate(2027, 10, 31) << QTime(3, 0) << utc(10, 31, 2, 0);
    QTest::newRow("winter again") << QDate(2027, 11, 7) << QTime(2, 30) << utc(11, 7, 1, 30);
    QTest::newRow("no such date") << QDate(2027, 2, 30) << QTime(2, 30) << qint64(0);
}

void TestSchedulingTime::occurrences()
{
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QFETCH(qint64, utcSecs);
    const QDateTime at = ScheduleTime::occurrence(date, time);
    QCOMPARE(at.isValid(), utcSecs != 0);
    if (utcSecs)
        QCOMPARE(at.toSecsSinceEpoch(), utcSecs);
}

// A Sunday 02:30 reboot, the clock walked on minute by minute across both changes: it fires once at 03:00 on the day
// the clocks spring forward, once at the first 02:30 on the day they fall back, and at 02:30 on the Sundays around.
void TestSchedulingTime::runnerAcrossDaylightSaving()
{
    QCOMPARE(addSchedule(weekly(QString(), QStringLiteral("02:30"), QString(), false, true)), DB_OK);
    ManualClock clock(QDateTime(QDate(2027, 3, 20), QTime(23, 0)));
    DeviceControlRunner runner(m_fx->db(), m_fx->server(), &clock);
    QSignalSpy fired(&runner, &DeviceControlRunner::taskFired);
    runner.replan();

    const auto walk = [&](const QDateTime &until) {
        while (clock.now() < until)
            clock.advance(60000);
    };
    walk(QDateTime(QDate(2027, 3, 21), QTime(4, 0)));
    QCOMPARE(fired.count(), 1);
    QCOMPARE(fired.last().at(0).value<ScheduleTask>().time.time(), QTime(2, 30));

    clock.setNow(QDateTime(QDate(2027, 3, 27), QTime(23, 0)));
    walk(QDateTime(QDate(2027, 3, 28), QTime(5, 0)));
    QCOMPARE(fired.count(), 2);
    QDateTime when = fired.last().at(0).value<ScheduleTask>().time;
    QCOMPARE(when.time(), QTime(3, 0));
    QCOMPARE(when.offsetFromUtc(), 7200);

    clock.setNow(QDateTime(QDate(2027, 4, 3), QTime(23, 0)));
    walk(QDateTime(QDate(2027, 4, 4), QTime(4, 0)));
    QCOMPARE(fired.count(), 3);
    QCOMPARE(fired.last().at(0).value<ScheduleTask>().time.time(), QTime(2, 30));

    clock.setNow(QDateTime(QDate(2027, 10, 30), QTime(23, 0)));
    walk(QDateTime(QDate(2027, 10, 31), QTime(4, 0))); // passes 02:00 to 03:00 twice
    QCOMPARE(fired.count(), 4);
    when = fired.last().at(0).value<ScheduleTask>().time;
    QCOMPARE(when.time(), QTime(2, 30));
    QCOMPARE(when.offsetFromUtc(), 7200);

    clock.setNow(QDateTime(QDate(2027, 11, 6), QTime(23, 0)));
    walk(QDateTime(QDate(2027, 11, 7), QTime(4, 0)));
    QCOMPARE(fired.count(), 5);
    when = fired.last().at(0).value<ScheduleTask>().time;
    QCOMPARE(when.time(), QTime(2, 30));
    QCOMPARE(when.offsetFromUtc(), 3600);
}

QTEST_GUILESS_MAIN(TestSchedulingTime)
#include "tst_scheduling_time.moc"
