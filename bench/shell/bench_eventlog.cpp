// Opening the event log of a large log: how long the GUI thread is held, and how much the console grows, from the
// click on the Device Control page's Event Log until the table shows its first rows, the rest of the log has been
// counted and the table has been scrolled to the newest and to the oldest row; with N stored emergency events and
// with N/100.
//
// Scenario: two data folders, each a throw-away HOME with the console's database (on the disk that holds the
// temporary folder), the administrator's e-mail address set and N (--events, 3,000,000 by default) or N/100 rows in
// EventLog. Each measurement is a process of its own, offscreen, on Qt's Unix event dispatcher, with the log file at
// INFO, as the console runs: the administrator logs in, and once the main window has settled a 10 ms probe timer runs
// on the GUI thread and Event Log is clicked from inside the event loop. Measured:
//   - first rows: the click until the table has painted with a row in view (the GUI thread is held for all of it when
//     the log is read whole), and whether the view opened at the newest rows;
//   - the longest stall of the GUI thread (the probe's latest tick) from the click until every row is counted, the
//     scroll bar moved to its end shows the newest event in the table's last row, and moved to its top the oldest
//     event (the first seeded row) in the table's first row;
//   - the growth: the process's peak resident memory over those steps minus its resident memory before the click.
//
// A third folder holds N/100 events of which the newest has a device name of M MB (--value-mb, 60 by default), as a
// restore may bring: the same steps, the newest row shown cut to what its cell holds.
//
// Rounds alternate the order of the folders. Targets: with N events, first rows within 100 ms and no stall over
// 100 ms in every round, the view opened at the newest rows in every run; the growth with N events within 16 MiB of
// the growth with N/100 (median of the rounds; the rows themselves, read whole, take about 60 bytes each on disk
// alone); with the large value, first rows within 100 ms and no stall over 100 ms in every round. Exit code 0 when
// all are met, 2 when not, 1 when a run failed.
//
// Usage: bench_eventlog [--events 3000000] [--rounds 3] [--value-mb 60]
//
// With --export-read, the Event Log export's reading instead: one home with N events (--events, 3,000,000 by default),
// read in one process of its own in pieces of 4,096 rows from the oldest, as the export reads them, by the data
// store's reader (EventLogReader::pageAfter) and, as the yardstick, by the reading of the version before it: a QtSql
// query of the four columns per piece, each row taken from the query's values. Both read the whole log once untimed
// first, so both find it in the page cache, those two readings compared row by row (a hash of every row in order); the
// rounds alternate their order and each compares its two readings' rows and characters. Target: the reader's median
// time within the yardstick's (ratio <= 1.00), both having read every row alike. Exit code 0 when met, 2 when not, 1
// when a run failed.
//
// Usage: bench_eventlog --export-read [--events 3000000] [--rounds 5]

#include "BenchSupport.h"
#include "ShellBench.h"
#include "StallProbe.h"

#include "datastore/DatabaseManager.h"
#include "datastore/DbResult.h"
#include "datastore/EventLogReader.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/ConnectedList.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/Orvanta.h"
#include "shell/kit/EventLogDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace shellbench;

constexpr double TargetFirstRowsMs = 100;
constexpr double TargetStallMs = 100;
constexpr double TargetGrowthMiB = 16;

// The device name and the time in the table's first row.
QStringList firstInView(QTableView *table)
{
    const QModelIndex at = table->indexAt(QPoint(5, table->verticalHeader()->defaultSectionSize() / 2));
    return {at.data().toString(), at.siblingAtColumn(2).data().toString()};
}

// Whether a row at least half in view shows the event.
bool inView(QTableView *table, const QStringList &event)
{
    const int rowHeight = table->verticalHeader()->defaultSectionSize();
    for (int y = rowHeight / 2; y < table->viewport()->height(); y += rowHeight) {
        const QModelIndex at = table->indexAt(QPoint(5, y));
        if (QStringList{at.data().toString(), at.siblingAtColumn(2).data().toString()} == event)
            return true;
    }
    return false;
}

// Every row counted: the model says so where it counts the log behind the first rows; a table read whole has.
bool counted(QTableView *table)
{
    const QVariant complete = table->model()->property("complete");
    return !complete.isValid() || complete.toBool();
}

// The bar that scrolls the log: the dialog's own, or the table's where the table scrolls itself.
QScrollBar *logBar(EventLogDialog *dialog)
{
    auto *own = dialog->findChild<QScrollBar *>(QStringLiteral("scrollBarLog"));
    return own ? own : dialog->tableWidgetLogContent->verticalScrollBar();
}

// The newest seeded row's device name becomes a value of that many megabytes, made by SQLite itself.
int seedLargeValue(int megabytes)
{
    auto *manager = dynamic_cast<OrvantaDBManager *>(OrvantaDBManager::getInstance());
    if (!manager)
        return 1;
    QSqlQuery update(manager->databaseManager()->database());
    const qint64 characters = qint64(megabytes) * 1024 * 1024;
    return update.exec(QStringLiteral("UPDATE EventLog SET deviceName = replace(hex(zeroblob(%1)), '0', 'x') "
                                      "WHERE rowid = (SELECT max(rowid) FROM EventLog)")
                           .arg(characters / 2))
               ? 0
               : 1;
}

// largeNewest: the newest row's device name is a large value of "x", which the table shows cut.
int measure(int events, bool largeNewest)
{
    ConsoleLog log;
    Orvanta login(OrvantaDBManager::getInstance());
    FrameLayoutPage *frame = logInToMainWindow(login);
    auto *page = frame ? frame->findChild<ConnectedList *>() : nullptr;
    if (!page)
        return 1;
    // The page's first turns after the log-in (its device list, the command server) are not the dialog's.
    processUntil([] { return false; }, 500);

    const long rssBeforeKb = bench::procStatusKb("VmRSS");
    // Without the reset the peak would be the log-in's, which may hide the dialog's; a figure the kernel did not give
    // is no growth of 0 or less.
    if (rssBeforeKb < 0 || !bench::resetPeakRss()) {
        std::fprintf(stderr, "the process's memory cannot be measured here\n");
        return 1;
    }
    bench::StallProbe probe;
    probe.start();
    QElapsedTimer clock;
    EventLogDialog *dialog = nullptr;
    // Clicked from inside the event loop, as the operator's click is: the probe sees the time it takes.
    QTimer::singleShot(50, [&] {
        clock.start();
        page->btnEventLog->click();
        dialog = page->findChild<EventLogDialog *>();
    });
    if (!processUntil([&] { return dialog != nullptr; }, ChildTimeoutMs))
        return 1;
    QTableView *table = dialog->tableWidgetLogContent;
    FirstPaint tablePaint(table->viewport());
    if (!processUntil([&] { return tablePaint.painted && !firstInView(table).first().isEmpty(); }, ChildTimeoutMs)) {
        std::fprintf(stderr, "no row was shown\n");
        return 1;
    }
    const double firstRowsMs = clock.nsecsElapsed() / 1e6;
    if (!processUntil([&] { return counted(table); }, ChildTimeoutMs))
        return 1;
    const double countedMs = clock.nsecsElapsed() / 1e6;
    QScrollBar *bar = logBar(dialog);
    const int whole = table->viewport()->height() / table->verticalHeader()->defaultSectionSize();
    // A log shorter than the view does not scroll.
    if (bar->maximum() != std::max(0, events - whole)) {
        std::fprintf(stderr, "the scroll bar goes over %d rows of %d\n", bar->maximum() + whole, events);
        return 1;
    }
    // Opened at the newest rows, the bar is at its end already.
    const bool openedAtNewest = bar->value() == bar->maximum();
    bar->setValue(bar->maximum());
    const QString newestName = largeNewest
                                   ? QString(EventLogReader::CellChars, QLatin1Char('x')) + EventLogReader::CutMark
                                   : seededName(events - 1);
    const QStringList newest{newestName, seededTime(events - 1)};
    if (!processUntil([&] { return inView(table, newest); }, ChildTimeoutMs)) {
        std::fprintf(stderr, "the newest row was not shown\n");
        return 1;
    }
    bar->setValue(0);
    const QStringList oldest{seededName(0), seededTime(0)};
    if (!processUntil([&] { return firstInView(table) == oldest; }, ChildTimeoutMs)) {
        std::fprintf(stderr, "the oldest row was not shown\n");
        return 1;
    }
    const double oldestMs = clock.nsecsElapsed() / 1e6;
    probe.stop();
    const long peakKb = bench::procStatusKb("VmHWM");
    if (peakKb < 0) {
        std::fprintf(stderr, "the process's peak memory was not measured\n");
        return 1;
    }
    const double growthMiB = (peakKb - rssBeforeKb) / 1024.0;
    std::printf("RESULT first=%.3f counted=%.3f oldest=%.3f stall=%.3f growth=%.3f newest=%d\n", firstRowsMs, countedMs,
                oldestMs, probe.worstMs(), growthMiB, openedAtNewest ? 1 : 0);
    std::fflush(stdout);
    return 0;
}

struct Figures
{
    double firstMs = -1;
    double countedMs = -1;
    double oldestMs = -1;
    double stallMs = -1;
    double growthMiB = -1;
    bool openedAtNewest = false;
};

bool measureIn(const Home &home, bool largeNewest, Figures *figures)
{
    static const QRegularExpression result(
        QStringLiteral("RESULT first=(\\S+) counted=(\\S+) oldest=(\\S+) stall=(\\S+) growth=(\\S+) newest=(\\d)"));
    QString output;
    QStringList arguments{QStringLiteral("--measure"), QString::number(home.events)};
    if (largeNewest)
        arguments << QStringLiteral("--large-newest");
    if (!runIn(home, arguments, &output))
        return false;
    const QRegularExpressionMatch match = result.match(output);
    if (!match.hasMatch())
        return false;
    figures->firstMs = match.captured(1).toDouble();
    figures->countedMs = match.captured(2).toDouble();
    figures->oldestMs = match.captured(3).toDouble();
    figures->stallMs = match.captured(4).toDouble();
    figures->growthMiB = match.captured(5).toDouble();
    figures->openedAtNewest = match.captured(6) == QLatin1String("1");
    return true;
}

// The rows the export reads per piece.
constexpr int ExportPieceRows = 4096;
constexpr double TargetReadRatio = 1.0;

// What a reading of the whole log found: its rows, and the characters of their texts, so that two readings can be
// told to have read the same. With `digest` (an untimed reading: it costs the time of hashing every text), also a
// hash of every row in order, so that they can be told to have read every row alike.
struct LogRead
{
    explicit LogRead(bool withDigest = false) : digest(withDigest) {}

    bool digest = false;
    qint64 rows = 0;
    qint64 characters = 0;
    qint64 lastKey = 0;
    quint64 rowsHash = 0;
    bool ok = false;

    void take(const VelkEventLog &event)
    {
        ++rows;
        characters += event.deviceName.size() + event.time.size() + event.event;
        lastKey = event.did;
        if (digest)
            rowsHash = rowsHash * 1099511628211ULL + (quint64(event.did) ^ (quint64(qHash(event.deviceName)) << 32) ^
                                                      qHash(event.time) ^ (quint64(uint(event.event)) << 16));
    }
};

// The data store's reader, as the export runs it.
LogRead readAsTheExport(const QString &file, bool digest = false)
{
    LogRead read(digest);
    EventLogReader reader;
    qint64 lowest = 0;
    qint64 newest = 0;
    if (reader.open(file, 5000) != DB_OK || reader.keyRange(lowest, newest) != DB_OK)
        return read;
    QList<VelkEventLog> rows;
    qint64 after = 0;
    for (;;) {
        if (reader.pageAfter(after, newest, ExportPieceRows, rows) != DB_OK)
            return read;
        for (const VelkEventLog &row : qAsConst(rows))
            read.take(row);
        if (rows.size() < ExportPieceRows)
            break;
        after = rows.last().did;
    }
    read.ok = true;
    return read;
}

// The yardstick: the export's reading before the reader read the texts through SQLite's incremental reading, a QtSql
// query of the four columns per piece on a read-only connection of its own, each row taken from the query's values.
LogRead readAsBefore(const QString &file, bool digest = false)
{
    LogRead read(digest);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("yardstick"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        db.setDatabaseName(file);
        QSqlQuery newest(db);
        if (!db.open() || !newest.exec(QStringLiteral("SELECT max(did) FROM EventLog")) || !newest.next())
            return read;
        const qint64 upTo = newest.value(0).toLongLong();
        qint64 after = 0;
        for (;;) {
            QSqlQuery query(db);
            query.setForwardOnly(true);
            if (!query.prepare(QStringLiteral("SELECT did, deviceName, event, time FROM EventLog WHERE did > ? AND did "
                                              "<= ? ORDER BY did LIMIT %1")
                                   .arg(ExportPieceRows)))
                return read;
            query.addBindValue(after);
            query.addBindValue(upTo);
            if (!query.exec())
                return read;
            int inPiece = 0;
            while (query.next()) {
                VelkEventLog event;
                event.did = query.value(0).toLongLong();
                event.deviceName = query.value(1).toString();
                event.event = query.value(2).toInt();
                event.time = query.value(3).toString();
                read.take(event);
                ++inPiece;
            }
            if (query.lastError().isValid())
                return read;
            if (inPiece < ExportPieceRows)
                break;
            after = read.lastKey;
        }
        read.ok = true;
    }
    QSqlDatabase::removeDatabase(QStringLiteral("yardstick"));
    return read;
}

// In the home: the reader and the yardstick, each round in alternating order, one RESULT line per round.
int measureExportRead(int rounds)
{
    const QString file = OrvantaDBManager::getInstance()->databaseFilePath();
    // Untimed: the log into the page cache, for both alike, each row of the two readings compared by its hash.
    const LogRead before = readAsBefore(file, true);
    const LogRead now = readAsTheExport(file, true);
    if (!before.ok || !now.ok)
        return 1;
    std::printf("DIGEST rows=%lld/%lld same=%d\n", static_cast<long long>(before.rows),
                static_cast<long long>(now.rows), before.rows == now.rows && before.rowsHash == now.rowsHash ? 1 : 0);
    for (int round = 1; round <= rounds; ++round) {
        double yardstickMs = 0;
        double readerMs = 0;
        LogRead yardstick;
        LogRead reader;
        for (int turn = 0; turn < 2; ++turn) {
            const bool readerTurn = (turn == 0) == (round % 2 == 0);
            QElapsedTimer clock;
            clock.start();
            if (readerTurn) {
                reader = readAsTheExport(file);
                readerMs = clock.nsecsElapsed() / 1e6;
            } else {
                yardstick = readAsBefore(file);
                yardstickMs = clock.nsecsElapsed() / 1e6;
            }
        }
        if (!reader.ok || !yardstick.ok)
            return 1;
        std::printf("RESULT yardstick=%.3f reader=%.3f rows=%lld/%lld same=%d\n", yardstickMs, readerMs,
                    static_cast<long long>(yardstick.rows), static_cast<long long>(reader.rows),
                    reader.rows == yardstick.rows && reader.characters == yardstick.characters ? 1 : 0);
        std::fflush(stdout);
    }
    return 0;
}

int exportRead(int events, int rounds)
{
    Home home;
    home.events = events;
    if (!home.dir.isValid() || !runIn(home, {QStringLiteral("--seed"), QString::number(events)})) {
        std::fprintf(stderr, "seeding a data folder with %d events failed\n", events);
        return 1;
    }
    std::printf("The Event Log export's reading of %d stored events, oldest first in pieces of %d rows: the data "
                "store's reader against the reading before it (QtSql, the four columns per piece), in one process, "
                "the log in the page cache, %d rounds in alternating order. Target: the reader's median within %.2f x "
                "the yardstick's, every row read alike\n\n",
                events, ExportPieceRows, rounds, TargetReadRatio);
    std::fflush(stdout);
    QString output;
    if (!runIn(home, {QStringLiteral("--read-measure"), QString::number(rounds)}, &output)) {
        std::fprintf(stderr, "the reading failed\n");
        return 1;
    }
    static const QRegularExpression digest(QStringLiteral("DIGEST rows=(\\d+)/(\\d+) same=(\\d)"));
    const QRegularExpressionMatch digestMatch = digest.match(output);
    if (!digestMatch.hasMatch()) {
        std::fprintf(stderr, "the rows of the two readings were not compared\n");
        return 1;
    }
    // Every row, compared by its hash in the untimed readings; the timed ones agree on their rows and characters.
    bool alike = digestMatch.captured(3) == QLatin1String("1") && digestMatch.captured(1).toLongLong() == events;
    std::printf("untimed readings: %s/%s rows, every row alike: %s\n\n", qPrintable(digestMatch.captured(1)),
                qPrintable(digestMatch.captured(2)), alike ? "yes" : "no");
    static const QRegularExpression result(
        QStringLiteral("RESULT yardstick=(\\S+) reader=(\\S+) rows=(\\d+)/(\\d+) same=(\\d)"));
    std::printf("%-6s %14s %12s %8s %14s\n", "round", "yardstick ms", "reader ms", "ratio", "rows");
    std::vector<double> yardstickMs, readerMs;
    auto matches = result.globalMatch(output);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        yardstickMs.push_back(match.captured(1).toDouble());
        readerMs.push_back(match.captured(2).toDouble());
        const bool same = match.captured(5) == QLatin1String("1") && match.captured(3).toLongLong() == events;
        alike = alike && same;
        std::printf("%-6zu %14.1f %12.1f %8.2f %14s\n", yardstickMs.size(), yardstickMs.back(), readerMs.back(),
                    readerMs.back() / yardstickMs.back(),
                    qPrintable(match.captured(3) + QLatin1Char('/') + match.captured(4)));
    }
    if (int(yardstickMs.size()) != rounds) {
        std::fprintf(stderr, "%zu of %d rounds were reported\n", yardstickMs.size(), rounds);
        return 1;
    }
    const double yardstick = bench::median(yardstickMs);
    const double reader = bench::median(readerMs);
    const double ratio = reader / yardstick;
    const bool met = alike && ratio <= TargetReadRatio;
    std::printf("\nmedian: yardstick %.1f ms, reader %.1f ms, ratio %.2f; every row read alike: %s (target <= %.2f): "
                "%s\n",
                yardstick, reader, ratio, alike ? "yes" : "no", TargetReadRatio, met ? "met" : "MISSED");
    return met ? 0 : 2;
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = bench::arguments(argc, argv);
    if (args.contains(QStringLiteral("--seed")) || args.contains(QStringLiteral("--measure"))) {
        // A child, in the environment its parent gave it.
        QApplication app(argc, argv);
        if (args.contains(QStringLiteral("--seed"))) {
            const int seeded = seedEvents(bench::argValue(args, QStringLiteral("--seed")).toInt());
            const QString valueMb = bench::argValue(args, QStringLiteral("--value-mb"));
            return seeded != 0 || valueMb.isEmpty() ? seeded : seedLargeValue(valueMb.toInt());
        }
        return measure(bench::argValue(args, QStringLiteral("--measure")).toInt(),
                       args.contains(QStringLiteral("--large-newest")));
    }
    if (args.contains(QStringLiteral("--read-measure"))) {
        QCoreApplication app(argc, argv);
        return measureExportRead(bench::argValue(args, QStringLiteral("--read-measure")).toInt());
    }
    QCoreApplication app(argc, argv);

    const QString eventsArg = bench::argValue(args, QStringLiteral("--events"));
    const QString roundsArg = bench::argValue(args, QStringLiteral("--rounds"));
    const int events = std::max(200, eventsArg.isEmpty() ? 3000000 : eventsArg.toInt());
    if (args.contains(QStringLiteral("--export-read")))
        return exportRead(events, std::max(1, roundsArg.isEmpty() ? 5 : roundsArg.toInt()));
    const int rounds = std::max(1, roundsArg.isEmpty() ? 3 : roundsArg.toInt());
    const QString valueArg = bench::argValue(args, QStringLiteral("--value-mb"));
    const int valueMb = std::max(1, valueArg.isEmpty() ? 60 : valueArg.toInt());
    Home small, large, largeValue;
    small.events = events / 100;
    large.events = events;
    largeValue.events = events / 100;
    for (Home *home : {&small, &large, &largeValue}) {
        QStringList seed{QStringLiteral("--seed"), QString::number(home->events)};
        if (home == &largeValue)
            seed << QStringLiteral("--value-mb") << QString::number(valueMb);
        if (!home->dir.isValid() || !runIn(*home, seed)) {
            std::fprintf(stderr, "seeding a data folder with %d events failed\n", home->events);
            return 1;
        }
    }

    std::printf("The Event Log opened from the Device Control page with %d and with %d stored events, and with %d "
                "of which the newest has a device name of %d MB: the click until rows are shown, until every row is "
                "counted, until the newest and then the oldest row are shown\n",
                events, small.events, largeValue.events, valueMb);
    std::printf("Each a process of its own (offscreen, Unix dispatcher, log at INFO), %d rounds in alternating order. "
                "Targets with %d events: first rows within %.0f ms, opened at the newest rows, and no GUI stall over "
                "%.0f ms in every round; growth within %.0f MiB of the growth with %d events (median); with the %d MB "
                "value: first rows within %.0f ms and no GUI stall over %.0f ms in every round\n\n",
                rounds, events, TargetFirstRowsMs, TargetStallMs, TargetGrowthMiB, small.events, valueMb,
                TargetFirstRowsMs, TargetStallMs);
    std::fflush(stdout);
    std::printf("%-6s %14s %10s %12s %11s %10s %11s %8s\n", "round", "events", "first ms", "counted ms", "oldest ms",
                "stall ms", "growth MiB", "newest");
    double worstFirst = 0, worstStall = 0, worstValueFirst = 0, worstValueStall = 0;
    bool alwaysAtNewest = true;
    std::vector<double> growthOver;
    const QByteArray valueLabel = QStringLiteral("%1+%2MB").arg(largeValue.events).arg(valueMb).toLatin1();
    for (int round = 1; round <= rounds; ++round) {
        Figures smallFigures, largeFigures, valueFigures;
        struct Run
        {
            Home *home;
            Figures *figures;
        };
        std::vector<Run> runs{{&small, &smallFigures}, {&large, &largeFigures}, {&largeValue, &valueFigures}};
        if (round % 2 == 0)
            std::reverse(runs.begin(), runs.end());
        for (const Run &run : runs) {
            const bool withValue = run.home == &largeValue;
            if (!measureIn(*run.home, withValue, run.figures)) {
                std::fprintf(stderr, "round %d: the run with %d events failed\n", round, run.home->events);
                return 1;
            }
            const Figures &f = *run.figures;
            const QByteArray label = withValue ? valueLabel : QByteArray::number(run.home->events);
            std::printf("%-6d %14s %10.1f %12.1f %11.1f %10.1f %11.1f %8s\n", round, label.constData(), f.firstMs,
                        f.countedMs, f.oldestMs, f.stallMs, f.growthMiB, f.openedAtNewest ? "yes" : "no");
            std::fflush(stdout);
        }
        worstFirst = std::max(worstFirst, largeFigures.firstMs);
        alwaysAtNewest = alwaysAtNewest && largeFigures.openedAtNewest && smallFigures.openedAtNewest;
        worstStall = std::max(worstStall, largeFigures.stallMs);
        growthOver.push_back(largeFigures.growthMiB - smallFigures.growthMiB);
        worstValueFirst = std::max(worstValueFirst, valueFigures.firstMs);
        worstValueStall = std::max(worstValueStall, valueFigures.stallMs);
    }
    const double growth = bench::median(growthOver);
    const bool firstMet = worstFirst <= TargetFirstRowsMs && alwaysAtNewest;
    const bool stallMet = worstStall <= TargetStallMs;
    const bool growthMet = growth <= TargetGrowthMiB;
    const bool valueMet = worstValueFirst <= TargetFirstRowsMs && worstValueStall <= TargetStallMs;
    std::printf("\nfirst rows shown with %d events, worst round: %.1f ms, opened at the newest rows in every run: %s "
                "(target <= %.0f ms, at the newest): %s\n",
                events, worstFirst, alwaysAtNewest ? "yes" : "no", TargetFirstRowsMs, firstMet ? "met" : "MISSED");
    std::printf("longest GUI stall with %d events, worst round: %.1f ms (target <= %.0f): %s\n", events, worstStall,
                TargetStallMs, stallMet ? "met" : "MISSED");
    std::printf("growth with %d events over the growth with %d, median: %.1f MiB (target <= %.0f): %s\n", events,
                small.events, growth, TargetGrowthMiB, growthMet ? "met" : "MISSED");
    std::printf("with a %d MB value, worst round: first rows %.1f ms, longest GUI stall %.1f ms (target <= %.0f and "
                "<= %.0f): %s\n",
                valueMb, worstValueFirst, worstValueStall, TargetFirstRowsMs, TargetStallMs,
                valueMet ? "met" : "MISSED");
    return firstMet && stallMet && growthMet && valueMet ? 0 : 2;
}
