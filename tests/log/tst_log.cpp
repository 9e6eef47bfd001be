#include "platform/AutoSerialFileLogger.h"
#include "platform/LogSystem.h"
#include "shell/base/Log.h"
#include "support/TestEnv.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>
#include <vector>

class TestLog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void removesOnlyOldPrefixedFiles();
    void createsMissingLogFolder();
    void serialPatternNamesFiles();
    void continuesTodaysHighestSerialAndRollsOverBySize();
    void filesTogetherStayWithinTheirTotal();
    void writeLogFormatsAndFiltersByLevel();
    void concurrentLinesStayWhole();
    void informationLinesWaitForTheTurnWarningsDoNot();

private:
    QString readAll(const QString &path);
    TestEnv *m_env = nullptr;
};

void TestLog::initTestCase()
{
    m_env = new TestEnv;
    QVERIFY(m_env->isValid());
    QVERIFY(logFolder().startsWith(m_env->home()));
    QVERIFY(logFolder().endsWith(QStringLiteral("/Velk/Log/Quorvin/")));
}

// The process-wide log system writing information and above to `logger`; nullptr when it did not start.
static LogSystem *startLoggingTo(AutoSerialFileLogger *logger)
{
    LogSystem *system = LogSystem::getSysLogSystem();
    system->setLogLevel(LOG_LEVEL_INFO);
    system->setLogger(logger);
    return system->startLog() ? system : nullptr;
}

static void touch(const QString &path, const QDateTime &when)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.flush();
    QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
}

void TestLog::removesOnlyOldPrefixedFiles()
{
    QDir().mkpath(logFolder());
    const QDateTime now = QDateTime::currentDateTime();
    // Days are counted in midnights passed, so the hour of the change must not matter.
    const QDateTime day31(now.date().addDays(-31), QTime(23, 59, 0));
    const QDateTime day30(now.date().addDays(-30), QTime(0, 0, 1));
    touch(logFolder() + "Quorvin-old.log", day31);
    touch(logFolder() + "Quorvin-recent.log", day30);
    touch(logFolder() + "Other-old.log", now.addDays(-400));
    touch(logFolder() + "keepQuorvin-x", now.addDays(-5));
    touch(logFolder() + "xQuorvin-y", now.addDays(-45)); // the prefix may stand anywhere in the name
    QDir().mkpath(logFolder() + "Quorvin-dir");

    QCOMPARE(removeOldLogFiles(), 2);
    QVERIFY(!QFile::exists(logFolder() + "Quorvin-old.log"));
    QVERIFY(!QFile::exists(logFolder() + "xQuorvin-y"));
    QVERIFY(QFile::exists(logFolder() + "Quorvin-recent.log"));
    QVERIFY(QFile::exists(logFolder() + "Other-old.log"));
    QVERIFY(QFile::exists(logFolder() + "keepQuorvin-x"));
    QVERIFY(QFileInfo(logFolder() + "Quorvin-dir").isDir());
    QDir(logFolder()).removeRecursively();
}

void TestLog::createsMissingLogFolder()
{
    QDir(logFolder()).removeRecursively();
    QCOMPARE(removeOldLogFiles(), 0);
    QVERIFY(QFileInfo(logFolder()).isDir());
}

void TestLog::serialPatternNamesFiles()
{
    const QDate date(2026, 3, 9);
    QCOMPARE(AutoSerialFileLogger::fileNameFor("/tmp/999/Quorvin-YYMMDD-999.log", date, 7),
             QStringLiteral("/tmp/999/Quorvin-260309-007.log"));
    QCOMPARE(QFileInfo(AutoSerialFileLogger::fileNameFor(logFilePattern(), date, 12)).fileName(),
             QStringLiteral("Quorvin-260309-012.log"));
}

QString TestLog::readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(f.readAll());
}

void TestLog::continuesTodaysHighestSerialAndRollsOverBySize()
{
    QTemporaryDir dir;
    const QString pattern = dir.filePath("Quorvin-YYMMDD-999.log");
    const QDate today = QDate::currentDate();
    touch(AutoSerialFileLogger::fileNameFor(pattern, today, 3), QDateTime::currentDateTime());
    touch(AutoSerialFileLogger::fileNameFor(pattern, today.addDays(-1), 9), QDateTime::currentDateTime());

    AutoSerialFileLogger logger(pattern, 64);
    QVERIFY(logger.start());
    QCOMPARE(logger.getFileName(), AutoSerialFileLogger::fileNameFor(pattern, today, 3));
    for (int i = 0; i < 4; ++i)
        logger.log(0, LOG_LEVEL_INFO, QStringLiteral("a line long enough to pass the size limit %1").arg(i));
    logger.stop();
    QVERIFY(QFile::exists(AutoSerialFileLogger::fileNameFor(pattern, today, 4)));
    QVERIFY(readAll(AutoSerialFileLogger::fileNameFor(pattern, today, 3)).contains("limit 0"));
}

// A flood of lines (a host's connections, a refused panel's retries) filled the disk: only files older than thirty
// days were removed. Beginning a file removes the oldest of the pattern's, never the current one nor another
// program's, until the rest leave the new one room to its limit; the newest lines stay.
void TestLog::filesTogetherStayWithinTheirTotal()
{
    QTemporaryDir dir;
    const QString pattern = dir.filePath("Quorvin-YYMMDD-999.log");
    const QDate today = QDate::currentDate();
    const QString yesterdays = AutoSerialFileLogger::fileNameFor(pattern, today.addDays(-1), 12);
    touch(yesterdays, QDateTime::currentDateTime());
    touch(dir.filePath("Other-260101-001.log"), QDateTime::currentDateTime().addDays(-3));

    constexpr qint64 kFileLimit = 200;
    constexpr qint64 kTotal = 1000;
    AutoSerialFileLogger logger(pattern, kFileLimit, kTotal);
    QVERIFY(logger.start());
    QString line;
    for (int i = 0; i < 200; ++i) {
        line = QStringLiteral("a refused connection from 127.0.0.1, line %1").arg(i);
        logger.log(0, LOG_LEVEL_WARNING, line);
    }
    logger.stop();

    qint64 total = 0;
    const QFileInfoList files = QDir(dir.path()).entryInfoList({"Quorvin-*"}, QDir::Files);
    for (const QFileInfo &file : files)
        total += file.size();
    QVERIFY2(total <= kTotal + 120, qPrintable(QString::number(total)));
    QVERIFY(files.size() >= 4);
    QVERIFY(!QFile::exists(yesterdays));
    QVERIFY(QFile::exists(dir.filePath("Other-260101-001.log")));
    QVERIFY(readAll(logger.getFileName()).contains(line));
    QVERIFY(!QFile::exists(AutoSerialFileLogger::fileNameFor(pattern, today, 1)));
}

void TestLog::writeLogFormatsAndFiltersByLevel()
{
    QTemporaryDir dir;
    AutoSerialFileLogger logger(dir.filePath("Quorvin-YYMMDD-999.log"));
    LogSystem *system = startLoggingTo(&logger);
    QVERIFY(system);
    writeLog(LOG_LEVEL_INFO, "load %s: %d", "lang/Orvanta_en_US.qm", 42);
    // A line longer than the first formatting buffer, and text outside ASCII, arrive whole.
    const QByteArray longText(3000, 'x');
    writeLog(LOG_LEVEL_WARNING, "long %s end", longText.constData());
    writeLog(LOG_LEVEL_INFO, "name %s", "Zo\xc3\xab \xe5\xbc\xb5");
    writeLog(LOG_LEVEL_DEBUG, "too detailed %d", 1);
    system->stopLog();
    writeLog(LOG_LEVEL_INFO, "after stop");
    system->setLogger(nullptr);

    const QString text = readAll(logger.getFileName());
    QVERIFY2(text.contains("[Quorvin] [4] load lang/Orvanta_en_US.qm: 42\n"), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("[Quorvin] [3] long %1 end\n").arg(QString::fromLatin1(longText))));
    QVERIFY(text.contains(QStringLiteral("[Quorvin] [4] name Zo\u00eb \u5f35\n")));
    QVERIFY(!text.contains("too detailed"));
    QVERIFY(!text.contains("after stop"));
    // Registering the same name again hands back the same module rather than a second one.
    QCOMPARE(system->registerLoggedModule("Quorvin"), system->registerLoggedModule("Quorvin"));
}

void TestLog::concurrentLinesStayWhole()
{
    QTemporaryDir dir;
    AutoSerialFileLogger logger(dir.filePath("Quorvin-YYMMDD-999.log"));
    LogSystem *system = startLoggingTo(&logger);
    QVERIFY(system);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i)
                writeLog(LOG_LEVEL_INFO, "thread %d line %d end", t, i);
        });
    for (auto &th : threads)
        th.join();
    system->stopLog();
    system->setLogger(nullptr);

    const QStringList lines = readAll(logger.getFileName()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 800);
    for (const QString &line : lines)
        QVERIFY2(line.endsWith(" end") && line.count("thread") == 1, qPrintable(line));
}

// Information lines of one turn of the event loop are written together; a warning goes out at once, after every line
// logged before it, and the next turn writes what the last one held.
void TestLog::informationLinesWaitForTheTurnWarningsDoNot()
{
    QTemporaryDir dir;
    AutoSerialFileLogger logger(dir.filePath("Quorvin-YYMMDD-999.log"));
    LogSystem *system = startLoggingTo(&logger);
    QVERIFY(system);
    const QString file = logger.getFileName();
    writeLog(LOG_LEVEL_INFO, "first of the turn");
    QVERIFY(!readAll(file).contains("first of the turn"));
    writeLog(LOG_LEVEL_WARNING, "a warning");
    const QString written = readAll(file);
    QVERIFY2(written.indexOf("first of the turn") >= 0 &&
                 written.indexOf("first of the turn") < written.indexOf("[3] a warning"),
             qPrintable(written));
    writeLog(LOG_LEVEL_INFO, "held until the next turn");
    QCoreApplication::processEvents();
    QVERIFY(readAll(file).contains("[4] held until the next turn\n"));
    writeLog(LOG_LEVEL_INFO, "written when logging stops");
    system->stopLog();
    system->setLogger(nullptr);
    QVERIFY(readAll(file).contains("written when logging stops"));
}

QTEST_GUILESS_MAIN(TestLog)
#include "tst_log.moc"
