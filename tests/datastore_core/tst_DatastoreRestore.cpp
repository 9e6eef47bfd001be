// Files an operator may be handed to restore: a backup from a colleague's USB stick, a database edited by hand. What
// such a file holds besides rows (a journal naming another file, triggers, views, constraints, keys and indexes of its
// own, accounts log-in cannot use) must neither run, nor touch another file, nor come along; the console's own backups
// restore row for row; a swap cut short is finished, or undone, by the next start.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <limits>
#include <memory>
#include <sqlite3.h>

#include "datastore/DatabaseFileOps.h"
#include "datastore/DatabaseManager.h"
#include "datastore/DbResult.h"
#include "datastore/EventLogReader.h"
#include "datastore/LoginAccountRule.h"
#include "datastore/OrvantaDBManager.h"
#include "support/ConsoleCopies.h"
#include "support/DataFolders.h"
#include "support/DatabaseHold.h"
#include "support/DbProbe.h"
#include "support/LogCapture.h"
#include "support/TestEnv.h"
#include "support/TestFiles.h"

namespace {

// Runs statements separated by "; " on the file.
bool execAll(const QString &path, const QString &statements, QString *error)
{
    return DbProbe(path, QStringLiteral("changer")).execAll(statements, error);
}

// The names of a database's tables, views, triggers and indexes, each with its type.
QStringList schemaOf(const QString &path)
{
    DbProbe file(path, QStringLiteral("schema"));
    return file.column(QStringLiteral("SELECT type || ' ' || name FROM sqlite_master ORDER BY type, name"));
}

// The record SQLite reads at the end of a journal to learn the super-journal of a transaction over several databases:
// the page number of the lock page, the name, its length, its checksum and the journal magic.
QByteArray superJournalRecord(const QString &name)
{
    const QByteArray bytes = QFile::encodeName(name);
    quint32 sum = 0;
    for (const char c : bytes)
        sum += quint32(qint32(c));
    QByteArray record(4, '\0');
    qToBigEndian<quint32>(0x40000000 / 4096 + 1, record.data());
    record += bytes;
    QByteArray numbers(8, '\0');
    qToBigEndian<quint32>(quint32(bytes.size()), numbers.data());
    qToBigEndian<quint32>(sum, numbers.data() + 4);
    return record + numbers + QByteArray("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8);
}

// Every entry of a folder, hidden ones too, with a digest of each file's bytes.
QStringList folderState(const QString &folder)
{
    QStringList state;
    const QFileInfoList entries =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries)
        state << entry.fileName() + QLatin1Char(' ') +
                     (entry.isFile() ? QString::fromLatin1(fileSha256(entry.filePath()).toHex()) : QString());
    return state;
}

// The rows of table in restored that are not in original, value for value and type for type, and the other way
// round, compared by SQLite itself so that values of many megabytes are not copied into the test; -1 when the
// comparison failed.
qint64 rowsDiffering(const QString &original, const QString &restored, const QString &table)
{
    DbProbe probe(original, QStringLiteral("differing"));
    if (!probe.exec(QStringLiteral("ATTACH ? AS restored"), {restored}))
        return -1;
    const QStringList columns = probe.column(QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table});
    if (columns.isEmpty())
        return -1;
    QStringList differs{QStringLiteral("b.rowid IS NULL")};
    for (const QString &column : columns)
        differs << QStringLiteral("a.\"%1\" IS NOT b.\"%1\" OR typeof(a.\"%1\") <> typeof(b.\"%1\")").arg(column);
    const QVariant differing =
        probe.value(QStringLiteral("SELECT count(*) FROM main.\"%1\" a LEFT JOIN restored.\"%1\" b ON b.rowid = "
                                   "a.rowid WHERE %2")
                        .arg(table, differs.join(QLatin1String(" OR "))));
    const QVariant extra =
        probe.value(QStringLiteral("SELECT (SELECT count(*) FROM restored.\"%1\") - (SELECT count(*) FROM main.\"%1\")")
                        .arg(table));
    if (!differing.isValid() || !extra.isValid())
        return -1;
    return differing.toLongLong() + qAbs(extra.toLongLong());
}

// The last 16 bytes of such a record with a name length and checksum of one's choosing, and no name in front.
QByteArray superJournalTail(quint32 length, quint32 checksum)
{
    QByteArray numbers(8, '\0');
    qToBigEndian<quint32>(length, numbers.data());
    qToBigEndian<quint32>(checksum, numbers.data() + 4);
    return numbers + QByteArray("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8);
}

} // namespace

class TestDatastoreRestore : public QObject
{
    Q_OBJECT

private:
    TestEnv m_env;
    ConsoleCopies m_copies{m_env.home(), QStringLiteral("restore")};

    QString newConsoleDatabase(const char *connection) { return m_copies.newDatabase(QString::fromLatin1(connection)); }

    static QString dataFolderOf(const QString &live) { return QFileInfo(live).absoluteDir().absolutePath() + "/.."; }

    QString changedConsoleCopy(const QString &name, const QString &statements, QString *error)
    {
        return m_copies.changedCopy(name, statements, error);
    }

    // A backup whose journal beside it was written without syncs and names superJournal, at folder/unsynced/backup.db:
    // the file holds a transaction that never committed ("never" as the e-mail address and every event's device name),
    // the journal the pages as they were ("committed@school.example" and `events` events). Its header counts 0xffffffff
    // records, so SQLite counts them from its size; behind them it holds all but the last 16 bytes of one more, of a
    // page that would empty the Event Log, and the super-journal record ends those bytes. Empty when it failed.
    QString unsyncedJournalBackup(const QString &folder, int events, const QString &superJournal)
    {
        const QString backup = folder + QStringLiteral("/unsynced/backup.db");
        if (!QDir().mkpath(QFileInfo(backup).absolutePath()) || !QFile::copy(newConsoleDatabase("unsynced"), backup))
            return QString();
        const auto bytesOf = [](const QString &path) {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        int pageSize = 0;
        int eventRoot = 0;
        {
            DbProbe writer(backup, QStringLiteral("unsyncedwriter"));
            bool done = writer.exec(QStringLiteral("UPDATE Account SET email = 'committed@school.example'")) &&
                        writer.db().transaction();
            for (int n = 0; done && n < events; ++n)
                done = writer.exec(QStringLiteral("INSERT INTO EventLog (deviceName, event, time) VALUES (?, 1, ?)"),
                                   {QStringLiteral("Hall Panel %1").arg(n), QStringLiteral("2024-05-06 07:30:00")});
            if (!done || !writer.db().commit())
                return QString();
            pageSize = writer.value(QStringLiteral("PRAGMA page_size")).toInt();
            eventRoot =
                writer.value(QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = 'EventLog'")).toInt();
        }
        const QByteArray before = bytesOf(backup);
        {
            DbProbe writer(backup, QStringLiteral("unsyncedwriter"));
            if (!writer.exec(QStringLiteral("UPDATE Account SET email = 'never@school.example'")) ||
                !writer.exec(QStringLiteral("UPDATE EventLog SET deviceName = 'never'")))
                return QString();
        }
        const QByteArray after = bytesOf(backup);
        if (pageSize < 512 || eventRoot < 2 || before.size() != after.size() || before.size() % pageSize != 0)
            return QString();
        const int pages = before.size() / pageSize;
        QList<int> changed;
        for (int page = 1; page <= pages; ++page) {
            if (before.mid((page - 1) * pageSize, pageSize) != after.mid((page - 1) * pageSize, pageSize))
                changed << page;
        }
        if (changed.isEmpty() || changed.contains(eventRoot))
            return QString();
        // The page an operator must never get: the Event Log's root as a leaf of no rows, whose unused room ends, 12
        // bytes before the page does, with the super-journal record. Its last 12 bytes and its checksum are the 16
        // zero bytes that were appended.
        QByteArray emptied(pageSize, '\0');
        emptied[0] = '\x0d';
        qToBigEndian<quint16>(quint16(pageSize), emptied.data() + 5);
        const QByteArray record = superJournalRecord(superJournal).mid(4);
        emptied.replace(pageSize - 12 - record.size(), record.size(), record);
        const auto sampled = [pageSize](const QByteArray &page) {
            quint32 sum = 0;
            for (int n = pageSize - 200; n > 0; n -= 200)
                sum += quint8(page.at(n));
            return sum;
        };
        const quint32 checksumStart = 0u - sampled(emptied);
        QByteArray header(512, '\0');
        header.replace(0, 8, QByteArray("\xd9\xd5\x05\xf9\x20\xa1\x63\xd7", 8));
        qToBigEndian<quint32>(0xffffffffu, header.data() + 8);
        qToBigEndian<quint32>(checksumStart, header.data() + 12);
        qToBigEndian<quint32>(quint32(pages), header.data() + 16);
        qToBigEndian<quint32>(512, header.data() + 20);
        qToBigEndian<quint32>(quint32(pageSize), header.data() + 24);
        QByteArray journal = header;
        const auto appendRecord = [&journal](int page, const QByteArray &data, quint32 checksum) {
            QByteArray numbers(4, '\0');
            qToBigEndian<quint32>(quint32(page), numbers.data());
            journal += numbers + data;
            qToBigEndian<quint32>(checksum, numbers.data());
            journal += numbers;
        };
        for (const int page : qAsConst(changed)) {
            const QByteArray was = before.mid((page - 1) * pageSize, pageSize);
            appendRecord(page, was, checksumStart + sampled(was));
        }
        appendRecord(eventRoot, emptied, 0);
        journal.chop(16);
        QFile out(backup + QStringLiteral("-journal"));
        return out.open(QIODevice::WriteOnly) && out.write(journal) == journal.size() ? backup : QString();
    }

    // Checks and stages source for a restore of live in a process of its own, which is ended when it has not
    // finished within a minute: {check, stage} as DatabaseFileOps results, or {-1} when it did not finish.
    static QList<int> stageInAProcess(const QString &live, const QString &source)
    {
        QProcess process;
        process.start(QStringLiteral(QV_FILEOPS_PROBE), {live, source});
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return {-1};
        }
        QList<int> results;
        for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
            if (line.startsWith("check ") || line.startsWith("stage "))
                results << line.mid(6).toInt();
        }
        return results;
    }

    // Checks and stages source for a restore of live, as the user settings do; the staging's result.
    static int stage(const QString &live, const QString &source)
    {
        const DatabaseFileOps::Result check = DatabaseFileOps::checkRestoreSource(live, source);
        return int(check == DatabaseFileOps::Ok ? DatabaseFileOps::stageRestore(live, source) : check);
    }

    // What an operator does first on a restored database: logs in as administrator, enters an e-mail address, adds
    // two devices, and the console stores an SOS.
    static void consoleWorksOn(const QString &live, const QString &password)
    {
        OrvantaDBManager db(dataFolderOf(live), QStringLiteral("restored"));
        QCOMPARE(db.databaseManager()->openState(), DatabaseManager::Ready);
        QList<VelkAccount> accounts;
        QCOMPARE(db.queryAccount(accounts), DB_OK);
        VelkAccount admin = LoginAccountRule::pick(accounts, true);
        QVERIFY(LoginAccountRule::problem(admin).isEmpty());
        QCOMPARE(admin.password, password);
        admin.email = QStringLiteral("ops@school.example");
        QCOMPARE(db.updateAccount(admin), DB_OK);
        accounts.clear();
        QCOMPARE(db.queryAccount(accounts), DB_OK);
        QCOMPARE(LoginAccountRule::pick(accounts, true).email, admin.email);
        QCOMPARE(LoginAccountRule::pick(accounts, true).password, password);
        QVERIFY(LoginAccountRule::pick(accounts, false).aid != 0);

        for (const QString &name : {QStringLiteral("Added Panel 1"), QStringLiteral("Added Panel 2")}) {
            VelkIFPDevice device;
            device.deviceName = name;
            device.macAddress = QStringLiteral("02:51:4d:00:0c:0%1").arg(name.right(1));
            device.ipAddress = QStringLiteral("127.0.0.7%1").arg(name.right(1));
            device.deviceType = QStringLiteral("Control Box");
            QCOMPARE(db.createIFPDevice(device), DB_OK);
        }
        QList<VelkIFPDevice> devices;
        QCOMPARE(db.queryAllAvailableIFP(devices), DB_OK);
        QSet<int> numbers;
        for (const VelkIFPDevice &device : qAsConst(devices)) {
            if (device.deviceName.startsWith(QLatin1String("Added Panel")))
                numbers.insert(int(device.did));
        }
        QCOMPARE(numbers.size(), 2);
        QVERIFY(!numbers.contains(0));

        VelkEventLog sos;
        sos.deviceName = QStringLiteral("Added Panel 1");
        sos.event = 1;
        sos.time = QStringLiteral("2024-05-06 07:30:00");
        QCOMPARE(db.insertEventLog(sos), DB_OK);
        QList<VelkEventLog> events;
        QCOMPARE(db.queryEventLog(events), DB_OK);
        QVERIFY(std::any_of(events.cbegin(), events.cend(), [](const VelkEventLog &event) {
            return event.time == QLatin1String("2024-05-06 07:30:00");
        }));
    }

private slots:
    void initTestCase() { QVERIFY(m_env.isValid()); }

    // A journal ends with the name of its super-journal when its transaction spanned several databases; SQLite reads
    // that file once it has played the journal back, and deletes it. Choosing a backup whose journal named an
    // operator's document, or the live database, deleted that file at once, whatever the restore then decided.
    void journalNamingAnotherFileTouchesNothing_data()
    {
        QTest::addColumn<bool>("namesLiveDatabase");
        QTest::newRow("an operator's document") << false;
        QTest::newRow("the live database") << true;
    }
    void journalNamingAnotherFileTouchesNothing()
    {
        QFETCH(bool, namesLiveDatabase);
        QTemporaryDir folder(m_env.home() + QStringLiteral("/superjournal-XXXXXX"));
        QVERIFY(folder.isValid());
        const QString backup = m_copies.deadWriterBackup(folder.path(), 200);
        QVERIFY(!backup.isEmpty());
        QVERIFY(QFileInfo(backup + QStringLiteral("-journal")).size() > 0);
        const QString live = newConsoleDatabase("superlive");
        const QString document = folder.filePath(QStringLiteral("report.txt"));
        {
            QFile text(document);
            QVERIFY(text.open(QIODevice::WriteOnly));
            text.write("The term's report, kept by the operator.\n");
        }
        const QString victim = namesLiveDatabase ? live : document;
        {
            QFile journal(backup + QStringLiteral("-journal"));
            QVERIFY(journal.open(QIODevice::Append));
            journal.write(superJournalRecord(victim));
        }
        const QByteArray victimBefore = fileSha256(victim);
        const QByteArray liveBefore = fileSha256(live);

        const int result = stage(live, backup);

        QVERIFY2(QFile::exists(victim), qPrintable(victim));
        QCOMPARE(fileSha256(victim), victimBefore);
        QCOMPARE(fileSha256(live), liveBefore);
        // The journal is played back as the rollback of this one file: what was committed is restored.
        QCOMPARE(result, int(DatabaseFileOps::Ok));
        DbProbe staged(DatabaseFileOps::stagedPath(live), QStringLiteral("rolledback"));
        QCOMPARE(staged.count(QStringLiteral("EventLog")), 200);
        QCOMPARE(staged.value(QStringLiteral("SELECT count(*) FROM EventLog WHERE deviceName = 'never'")).toInt(), 0);
        QCOMPARE(staged.column(QStringLiteral("SELECT DISTINCT email FROM Account")),
                 QStringList{QStringLiteral("committed@school.example")});
    }

    // The copy of a journal was cut wherever its last bytes looked like a super-journal record: the record's length
    // was trusted and its checksum never read. A tail with the wrong checksum cut the last page record short, a page
    // of a transaction that never committed stayed, and the restore reported success; SQLite plays such a journal
    // back whole. A journal ending in 400,000 records wrote a warning for each, 87 MB of log.
    void journalIsPlayedBackAsSqlitePlaysIt_data()
    {
        QTest::addColumn<QByteArray>("tail"); // empty: a record reaching back into the journal's last header
        QTest::addColumn<int>("warnings");
        QTest::addColumn<bool>("sqliteNamesNoFile");
        QTest::addColumn<bool>("withoutSyncs");
        QTest::newRow("a record whose checksum is wrong") << QByteArray() << 0 << true << false;
        QTest::newRow("400,000 records of no name") << superJournalTail(0, 0).repeated(400000) << 0 << true << false;
        // Each record would be taken for a name once those after it were gone; SQLite reads the last one alone.
        QTest::newRow("400,000 records naming a file")
            << superJournalRecord(QStringLiteral("x")).repeated(400000) << 1 << false << false;
        // SQLite counts the page records of a journal written without syncs from its size: 16 bytes appended to hide
        // the name completed the record before it, and a page SQLite does not play emptied the Event Log.
        QTest::newRow("a journal written without syncs naming a file") << QByteArray() << 1 << false << true;
    }
    void journalIsPlayedBackAsSqlitePlaysIt()
    {
        QFETCH(QByteArray, tail);
        QFETCH(int, warnings);
        QFETCH(bool, sqliteNamesNoFile);
        QFETCH(bool, withoutSyncs);
        QTemporaryDir folder(m_env.home() + QStringLiteral("/journaltail-XXXXXX"));
        QVERIFY(folder.isValid());
        const QString superJournal = folder.filePath(QStringLiteral("super-journal"));
        const QString backup = withoutSyncs ? unsyncedJournalBackup(folder.path(), 2000, superJournal)
                                            : m_copies.deadWriterBackup(folder.path(), 2000, true);
        QVERIFY(!backup.isEmpty());
        if (!withoutSyncs) {
            QFile journal(backup + QStringLiteral("-journal"));
            QVERIFY(journal.open(QIODevice::ReadWrite));
            if (tail.isEmpty()) {
                // Its length, trusted, put the cut just behind the magic of the last header, which then looked like the
                // end of another record: the cut took the whole last part of the journal.
                const int lastHeader = journal.readAll().lastIndexOf(superJournalTail(0, 0).right(8));
                QVERIFY(lastHeader > 0);
                tail = superJournalTail(quint32(journal.size() - lastHeader - 12), 12345);
            }
            QVERIFY(journal.seek(journal.size()));
            QCOMPARE(journal.write(tail), qint64(tail.size()));
        }
        QStringList sqliteReads;
        if (sqliteNamesNoFile || withoutSyncs) {
            // What SQLite itself makes of the backup: it and its journal copied into a folder of their own and opened.
            const QString reference = folder.filePath(QStringLiteral("reference.db"));
            QVERIFY(QFile::copy(backup, reference));
            QVERIFY(QFile::copy(backup + QStringLiteral("-journal"), reference + QStringLiteral("-journal")));
            // SQLite plays a journal back only while the super-journal it names is there (and not empty), as the
            // rollback of a transaction that did not commit everywhere; then it deletes the super-journal, which names
            // no journal that is left.
            if (withoutSyncs) {
                QFile super(superJournal);
                QVERIFY(super.open(QIODevice::WriteOnly));
                QVERIFY(super.write(QFile::encodeName(folder.filePath(QStringLiteral("gone.db-journal"))) + '\0') > 0);
            }
            DbProbe sqlite(reference, QStringLiteral("reference"));
            sqliteReads = sqlite.column(QStringLiteral("SELECT deviceName || '|' || time FROM EventLog ORDER BY did"));
            QCOMPARE(sqlite.column(QStringLiteral("SELECT DISTINCT email FROM Account")),
                     QStringList{QStringLiteral("committed@school.example")});
            QVERIFY(!QFile::exists(superJournal));
        }
        const QString live = newConsoleDatabase("taillive");

        LogCapture log;
        QCOMPARE(DatabaseFileOps::stageRestore(live, backup), DatabaseFileOps::Ok);
        DbProbe staged(DatabaseFileOps::stagedPath(live), QStringLiteral("tailstaged"));
        QCOMPARE(staged.value(QStringLiteral("SELECT count(*) FROM EventLog WHERE deviceName = 'never'")).toInt(), 0);
        QCOMPARE(staged.count(QStringLiteral("EventLog")), 2000);
        QCOMPARE(staged.column(QStringLiteral("SELECT DISTINCT email FROM Account")),
                 QStringList{QStringLiteral("committed@school.example")});
        if (sqliteNamesNoFile || withoutSyncs)
            QCOMPARE(staged.column(QStringLiteral("SELECT deviceName || '|' || time FROM EventLog ORDER BY did")),
                     sqliteReads);
        QCOMPARE(log.count(QStringLiteral("super-journal")), warnings);
    }

    // Under the names SQLite reads beside a chosen file only a regular file is read: a FIFO named like the backup's
    // journal blocked the copy in open() for good ("Restoring the database..." stayed up, and only ending the console
    // got out), and a device or a folder was handed to SQLite. Each is refused at once, naming it, the live file kept.
    void onlyRegularFilesBesideAreRead_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("kind");
        for (const char *suffix : {"-journal", "-wal"}) {
            for (const char *kind : {"FIFO", "device", "folder"})
                QTest::newRow(qPrintable(QStringLiteral("%1 as %2").arg(kind, suffix))) << suffix << kind;
        }
    }
    void onlyRegularFilesBesideAreRead()
    {
        QFETCH(QString, suffix);
        QFETCH(QString, kind);
        QTemporaryDir folder(m_env.home() + QStringLiteral("/beside-XXXXXX"));
        QVERIFY(folder.isValid());
        const QString backup = folder.filePath(QStringLiteral("backup.db"));
        QVERIFY(QFile::copy(newConsoleDatabase("besidesource"), backup));
        const QString odd = backup + suffix;
        if (kind == QLatin1String("FIFO"))
            QVERIFY(::mkfifo(QFile::encodeName(odd).constData(), 0600) == 0);
        else if (kind == QLatin1String("device"))
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), odd));
        else
            QVERIFY(QDir().mkpath(odd));
        const QString live = newConsoleDatabase("besidelive");
        const QByteArray liveBefore = fileSha256(live);
        const QStringList besideBefore = folderState(folder.path());

        // In a process of its own, so that a copy blocked for good fails the case instead of hanging it.
        QCOMPARE(stageInAProcess(live, backup),
                 (QList<int>{DatabaseFileOps::SideFileNotRegular, DatabaseFileOps::SideFileNotRegular}));
        DatabaseFileOps::RestoreReport report;
        QCOMPARE(DatabaseFileOps::stageRestore(live, backup, &report), DatabaseFileOps::SideFileNotRegular);
        QCOMPARE(report.notAFile, odd);
        QCOMPARE(fileSha256(live), liveBefore);
        QCOMPARE(QFileInfo(live).absoluteDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(live).fileName()});
        QCOMPARE(folderState(folder.path()), besideBefore);
    }

    // SQLite saw the chosen file's own folder: a file whose header asks for WAL mode in byte 19 alone (byte 18 was what
    // was read) was opened there, and SQLite made a shared-memory and a WAL file beside it; the WAL file beside an
    // empty chosen file was deleted by the check. Nothing beside the chosen file is made, changed or deleted.
    void nothingBesideTheChosenFileChanges_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<int>("expected");
        QTest::newRow("WAL asked for in byte 19 alone") << "byte19" << int(DatabaseFileOps::Ok);
        QTest::newRow("empty file, a WAL file beside it") << "emptywithwal" << int(DatabaseFileOps::NotConsoleDatabase);
        QTest::newRow("the journal of a writer that died") << "deadwriter" << int(DatabaseFileOps::Ok);
        // SQLite takes the journal from beside the file a link leads to. Looked for beside the link, none was found,
        // and the state the writer left half written was restored and called a success.
        QTest::newRow("the journal of a writer that died, the file chosen through a link")
            << "deadwriterlink" << int(DatabaseFileOps::Ok);
    }
    void nothingBesideTheChosenFileChanges()
    {
        QFETCH(QString, shape);
        QFETCH(int, expected);
        QTemporaryDir folder(m_env.home() + QStringLiteral("/untouched-XXXXXX"));
        QVERIFY(folder.isValid());
        QString backup = folder.filePath(QStringLiteral("backup.db"));
        if (shape == QLatin1String("byte19")) {
            QVERIFY(QFile::copy(newConsoleDatabase("byte19source"), backup));
            QFile file(backup);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(19));
            QCOMPARE(file.write(QByteArray(1, '\x02')), qint64(1));
        } else if (shape == QLatin1String("emptywithwal")) {
            const QString wal = folder.filePath(QStringLiteral("wal.db"));
            QVERIFY(QFile::copy(newConsoleDatabase("walsource"), wal));
            DbProbe writer(wal, QStringLiteral("walwriter"));
            QVERIFY(writer.exec(QStringLiteral("PRAGMA journal_mode = WAL")));
            QVERIFY(writer.exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0")));
            QVERIFY(writer.exec(QStringLiteral("UPDATE Account SET email = 'wal@school.example'")));
            QVERIFY(QFile::copy(wal + QStringLiteral("-wal"), backup + QStringLiteral("-wal")));
            QFile empty(backup);
            QVERIFY(empty.open(QIODevice::WriteOnly));
        } else {
            backup = m_copies.deadWriterBackup(folder.path(), 200);
            QVERIFY(!backup.isEmpty());
        }
        QString chosen = backup;
        if (shape == QLatin1String("deadwriterlink")) {
            chosen = folder.filePath(QStringLiteral("chosen/backup.db"));
            QVERIFY(QDir().mkpath(QFileInfo(chosen).absolutePath()));
            QVERIFY(QFile::link(backup, chosen));
        }
        QStringList besideFolders{QFileInfo(backup).absolutePath()};
        if (chosen != backup)
            besideFolders << QFileInfo(chosen).absolutePath();
        QList<QStringList> before;
        for (const QString &beside : qAsConst(besideFolders))
            before << folderState(beside);
        QVERIFY(before.first().size() > (shape == QLatin1String("byte19") ? 0 : 1));

        const QString live = newConsoleDatabase("untouchedlive");
        QCOMPARE(stage(live, chosen), expected);
        for (int n = 0; n < besideFolders.size(); ++n)
            QCOMPARE(folderState(besideFolders.at(n)), before.at(n));
        if (shape.startsWith(QLatin1String("deadwriter"))) {
            // The journal is played back: what was committed is restored.
            DbProbe staged(DatabaseFileOps::stagedPath(live), QStringLiteral("untouchedstaged"));
            QCOMPARE(staged.count(QStringLiteral("EventLog")), 200);
            QCOMPARE(staged.value(QStringLiteral("SELECT count(*) FROM EventLog WHERE deviceName = 'never'")).toInt(),
                     0);
            QCOMPARE(staged.column(QStringLiteral("SELECT DISTINCT email FROM Account")),
                     QStringList{QStringLiteral("committed@school.example")});
        }
    }

    // The copies of a chosen file and of what lies beside it were made without counting: a sparse journal of 3 GiB,
    // a few blocks where it lay, took 3 GiB next to the live database and filled a small disk, and the operator read
    // only "could not be restored". The room is counted before any copy, and a copy that does not fit is refused.
    void copyBesideTheChosenFileNeedsTheRoomCountedFirst()
    {
        QTemporaryDir folder(m_env.home() + QStringLiteral("/room-XXXXXX"));
        QVERIFY(folder.isValid());
        const QString backup = m_copies.deadWriterBackup(folder.path(), 200);
        QVERIFY(!backup.isEmpty());
        const QString journal = backup + QStringLiteral("-journal");
        const qint64 needed = QFileInfo(backup).size() + QFileInfo(journal).size();
        qint64 free = needed;
        DatabaseFileOps::setFreeRoom([&free](const QString &) { return free; });
        const auto putBack = qScopeGuard([]() { DatabaseFileOps::setFreeRoom(nullptr); });
        const QString live = newConsoleDatabase("roomlive");
        // Room for the copies and not a byte more: they are made.
        QCOMPARE(DatabaseFileOps::stageRestore(live, backup), DatabaseFileOps::Ok);
        DatabaseFileOps::discardStaged(live);

        const qint64 sparse = qint64(3) << 30;
        QVERIFY(QFile::resize(journal, sparse));
        free = qint64(1) << 30;
        const QStringList besideBefore = folderState(folder.path());
        DatabaseFileOps::RestoreReport report;
        QCOMPARE(DatabaseFileOps::stageRestore(live, backup, &report), DatabaseFileOps::NotEnoughRoom);
        QCOMPARE(report.roomNeeded, QFileInfo(backup).size() + sparse);
        QCOMPARE(report.roomFree, free);
        QCOMPARE(QFileInfo(live).absoluteDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(live).fileName()});
        QCOMPARE(folderState(folder.path()), besideBefore);
    }

    // Triggers, views, constraints and keys of the file's own came along, and the check's own seeding ran its
    // triggers: an endless one never ended. Restored, a RAISE on Account updates kept everyone on the e-mail page, a
    // trigger emptying Account left the factory password, a RAISE on EventLog inserts dropped every SOS, a trigger
    // deleting devices made Add Device report a device that was gone, a NOT NULL or CHECK of the file's own failed
    // every Add Device or event, and a Device table without its key numbered every new device 0.
    void ownTriggersViewsAndConstraintsStayBehind_data()
    {
        QTest::addColumn<QString>("statements");
        const QString device = QStringLiteral(
            "CREATE TABLE Device ( did INTEGER PRIMARY KEY AUTOINCREMENT,deviceName TEXT UNIQUE,modelName TEXT,"
            "macAddress TEXT UNIQUE,ipAddress TEXT, fwVersion TEXT,lastPassword TEXT, subnetMask TEXT, gateway TEXT, "
            "panelFwVersion TEXT, displayClientVersion TEXT, sku TEXT%1, isKicked INTEGER, deviceType TEXT, "
            "position TEXT%2, ptzCamera TEXT )");
        const QString aDevice =
            QStringLiteral("INSERT INTO Device (deviceName, macAddress, ipAddress, sku, position) "
                           "VALUES ('Kept Panel', '02:51:4d:00:0c:10', '127.0.0.80', 'S1', 'Hall')");
        QTest::newRow("RAISE on Account updates")
            << "CREATE TRIGGER keep BEFORE UPDATE ON Account BEGIN SELECT RAISE(ABORT, 'kept');END";
        QTest::newRow("Account emptied on update")
            << "CREATE TRIGGER wipe AFTER UPDATE ON Account BEGIN DELETE FROM Account;END";
        QTest::newRow("RAISE on EventLog inserts")
            << "CREATE TRIGGER nosos BEFORE INSERT ON EventLog BEGIN SELECT RAISE(ABORT, 'no');END";
        QTest::newRow("devices deleted after insert")
            << "CREATE TRIGGER gone AFTER INSERT ON Device BEGIN DELETE FROM Device WHERE did = new.did;END";
        QTest::newRow("endless trigger where the check seeds")
            << "DELETE FROM AppInfo; CREATE TRIGGER endless AFTER INSERT ON AppInfo BEGIN SELECT count(*) FROM (WITH "
               "RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n) SELECT x FROM n);END";
        QTest::newRow("a view") << "CREATE VIEW Admins AS SELECT * FROM Account WHERE isAdmin = 1";
        QTest::newRow("NOT NULL on Device.sku")
            << "DROP TABLE Device; " + device.arg(QStringLiteral(" NOT NULL"), QString()) + "; " + aDevice;
        QTest::newRow("NOT NULL on Device.position")
            << "DROP TABLE Device; " + device.arg(QString(), QStringLiteral(" NOT NULL")) + "; " + aDevice;
        QTest::newRow("CHECK on EventLog.time")
            << "DROP TABLE EventLog; CREATE TABLE EventLog ( did INTEGER PRIMARY KEY AUTOINCREMENT,deviceName TEXT,"
               "event INTEGER,time TEXT CHECK (time IS NULL))";
        QTest::newRow("Device without its key")
            << aDevice +
                   "; CREATE TABLE Rebuilt AS SELECT * FROM Device; DROP TABLE Device; ALTER TABLE Rebuilt RENAME TO "
                   "Device";
    }
    void ownTriggersViewsAndConstraintsStayBehind()
    {
        QFETCH(QString, statements);
        QString error;
        const QString source = changedConsoleCopy(QString::fromLatin1(QTest::currentDataTag()), statements, &error);
        QVERIFY2(!source.isEmpty(), qPrintable(error));
        const QString live = newConsoleDatabase("ownlive");
        const QStringList consoleSchema = schemaOf(live);
        const QStringList keptRows = DbProbe(source, QStringLiteral("kept"))
                                         .column(QStringLiteral("SELECT deviceName || '|' || ifnull(sku, '') || '|' || "
                                                                "ifnull(position, '') FROM Device ORDER BY did"));

        // The check runs in a process of its own, so that one that never ends fails the case instead of hanging it.
        QCOMPARE(stageInAProcess(live, source), (QList<int>{DatabaseFileOps::Ok, DatabaseFileOps::Ok}));
        QCOMPARE(DatabaseFileOps::swapInStaged(live), DatabaseFileOps::Ok);
        QCOMPARE(DbProbe(live, QStringLiteral("keptrows"))
                     .column(QStringLiteral("SELECT deviceName || '|' || ifnull(sku, '') || '|' || ifnull(position, "
                                            "'') FROM Device ORDER BY did")),
                 keptRows);
        consoleWorksOn(live, QStringLiteral("kelvo"));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(schemaOf(live), consoleSchema);
    }

    // The accounts were judged by a check of their own: read in the order an index of the file gave, by a number
    // log-in does not hold, and a password log-in's field refuses or cannot hold. The administrator was then locked
    // out, or the e-mail entry found no row, or rewrote two. Such a file is refused; one that log-in can use restores,
    // and its administrator logs in.
    void accountsAreJudgedAsLogInTakesThem_data()
    {
        QTest::addColumn<QString>("statements");
        QTest::addColumn<QString>("adminPassword"); // empty: refused
        QTest::newRow("Account without its key, one number for both")
            << "CREATE TABLE Rebuilt AS SELECT * FROM Account; DROP TABLE Account; ALTER TABLE Rebuilt RENAME TO "
               "Account; UPDATE Account SET aid = 1"
            << QString();
        QTest::newRow("administrator first only by an index")
            << "UPDATE Account SET password = NULL WHERE isAdmin = 1; INSERT INTO Account (password, isAdmin) VALUES "
               "('kelvo2', 1); CREATE INDEX byAdmin ON Account (isAdmin, password DESC)"
            << QString();
        QTest::newRow("administrator numbered -5") << "UPDATE Account SET aid = -5 WHERE isAdmin = 1" << QString();
        QTest::newRow("administrator numbered 5000000001")
            << "UPDATE Account SET aid = 5000000001 WHERE isAdmin = 1" << QString();
        // SQLite hands back U+FFFF and U+FFFE as U+FFFD, and drops a U+FEFF first when the console writes the account.
        const QStringList refused{QStringLiteral("'kel:vo'"),
                                  QStringLiteral("'kel/vo'"),
                                  QStringLiteral("'%1'").arg(QString(35, QLatin1Char('k'))),
                                  QStringLiteral("replace(hex(zeroblob(35)), '00', char(128512))"),
                                  QStringLiteral("'kelvo' || char(65535)"),
                                  QStringLiteral("'kelvo' || char(65534)"),
                                  QStringLiteral("char(65279) || 'kelvo'")};
        for (const QString &password : refused)
            QTest::newRow(qPrintable(QStringLiteral("password ") + password))
                << QStringLiteral("UPDATE Account SET password = %1 WHERE isAdmin = 1").arg(password) << QString();
        // What log-in takes restores: what the password fields of earlier versions stored from a paste (a tab, a line
        // end, U+FFFD, 34 characters beyond the BMP), and what they take typed (U+1FFFE, a zero-width non-joiner).
        const QList<QPair<QString, QString>> taken{
            {QStringLiteral("'kel' || char(9) || 'vo'"), QStringLiteral("kel\tvo")},
            {QStringLiteral("'kelvo' || char(10)"), QStringLiteral("kelvo\n")},
            {QStringLiteral("'kel' || char(1) || 'vo'"), QStringLiteral("kel\x01vo")},
            {QStringLiteral("'kel' || char(65533) || 'vo'"),
             QStringLiteral("kel") + QChar(0xFFFD) + QStringLiteral("vo")},
            {QStringLiteral("'kel' || char(888)"), QStringLiteral("kel") + QChar(0x0378)},
            {QStringLiteral("replace(hex(zeroblob(34)), '00', char(128512))"),
             QString::fromUcs4(U"\U0001F600").repeated(34)},
            {QStringLiteral("'kel' || char(131070) || 'vo'"),
             QStringLiteral("kel") + QString::fromUcs4(U"\U0001FFFE") + QStringLiteral("vo")},
            {QStringLiteral("'kel' || char(8204) || 'vo'"),
             QStringLiteral("kel") + QChar(0x200C) + QStringLiteral("vo")}};
        for (const auto &password : taken)
            QTest::newRow(qPrintable(QStringLiteral("password ") + password.first))
                << QStringLiteral("UPDATE Account SET password = %1 WHERE isAdmin = 1").arg(password.first)
                << password.second;
        const QString longest(34, QLatin1Char('k'));
        QTest::newRow("password of 34 characters")
            << QStringLiteral("UPDATE Account SET password = '%1' WHERE isAdmin = 1").arg(longest) << longest;
        QTest::newRow("password as the field's example text")
            << "UPDATE Account SET password = 'User Password' WHERE isAdmin = 1" << QStringLiteral("User Password");
        QTest::newRow("Account in another letter case")
            << "ALTER TABLE Account RENAME TO Renamed; ALTER TABLE Renamed RENAME TO account"
            << QStringLiteral("kelvo");
    }
    void accountsAreJudgedAsLogInTakesThem()
    {
        QFETCH(QString, statements);
        QFETCH(QString, adminPassword);
        QString error;
        const QString source = changedConsoleCopy(QString::fromLatin1(QTest::currentDataTag()), statements, &error);
        QVERIFY2(!source.isEmpty(), qPrintable(error));
        const QString live = newConsoleDatabase("accountlive");
        const QByteArray liveBefore = fileSha256(live);
        const int result = stage(live, source);
        if (adminPassword.isEmpty()) {
            QCOMPARE(result, int(DatabaseFileOps::NotConsoleDatabase));
            QCOMPARE(fileSha256(live), liveBefore);
            QCOMPARE(QFileInfo(live).absoluteDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                     QStringList{QFileInfo(live).fileName()});
            return;
        }
        QCOMPARE(result, int(DatabaseFileOps::Ok));
        QCOMPARE(DatabaseFileOps::swapInStaged(live), DatabaseFileOps::Ok);
        consoleWorksOn(live, adminPassword);
    }

    // In a database in UTF-16, a password stored as a BLOB was read by the check as UTF-16 ("kelvo") and by log-in as
    // UTF-8 ("k" and NULs): accepted, and the administrator locked out.
    void blobPasswordOfAUtf16DatabaseIsRefused()
    {
        const QString data = m_copies.newDataFolder();
        QVERIFY(QDir().mkpath(data + QStringLiteral("/dbManagement")));
        QString error;
        QVERIFY2(execAll(DataFolders::dbFile(data),
                         QStringLiteral("PRAGMA encoding = 'UTF-16le'; CREATE TABLE x (y); DROP TABLE x"), &error),
                 qPrintable(error));
        {
            DatabaseManager manager(data, QStringLiteral("utf16"));
            QCOMPARE(manager.openState(), DatabaseManager::Ready);
        }
        const QString source = m_env.home() + QStringLiteral("/utf16.db");
        QVERIFY(QFile::copy(DataFolders::dbFile(data), source));
        QVERIFY2(execAll(source,
                         QStringLiteral("UPDATE Account SET password = x'6b0065006c0076006f00' WHERE isAdmin = 1"),
                         &error),
                 qPrintable(error));
        QCOMPARE(DbProbe(source, QStringLiteral("enc")).value(QStringLiteral("PRAGMA encoding")).toString(),
                 QStringLiteral("UTF-16le"));
        QCOMPARE(stage(newConsoleDatabase("utf16live"), source), int(DatabaseFileOps::NotConsoleDatabase));
    }

    // What the console's own backups hold, and those of older versions (a plain copy of the file), restores row for
    // row: every table, every value as SQLite holds it, and the counters that keep numbers once given from coming back.
    void consoleBackupsRestoreRowForRow_data()
    {
        QTest::addColumn<bool>("plainCopy");
        QTest::newRow("Backup of this version") << false;
        QTest::newRow("plain copy of the file") << true;
    }
    void consoleBackupsRestoreRowForRow()
    {
        QFETCH(bool, plainCopy);
        const QString original = newConsoleDatabase("rowforrow");
        QString error;
        QVERIFY2(
            execAll(
                original,
                QString::fromUtf8(
                    "INSERT INTO Device (deviceName, modelName, macAddress, ipAddress, fwVersion, sku, isKicked, "
                    "deviceType, position) VALUES ('禮堂 Panel', 'Velk TM7-B', '02:51:4d:00:0d:01', '10.0.0.5', "
                    "'1.1.1017.20', 'S-1', 0, 'Control Box', 'East'); "
                    "INSERT INTO Device (deviceName, macAddress) VALUES ('Gone', '02:51:4d:00:0d:02'); "
                    "INSERT INTO Device (deviceName, macAddress, lastPassword, learnedMac) VALUES ('Lab', "
                    "'02:51:4d:00:0d:03', x'00ff10', '02:51:4d:00:0d:03'); DELETE FROM Device WHERE deviceName = "
                    "'Gone'; "
                    "INSERT INTO Groups (groupName, groupType) VALUES ('Floor 2', 'Control Box'); "
                    "INSERT INTO DeviceGroups (did, gid) VALUES (1, 1); "
                    "INSERT INTO Schedule (onTime, offTime, isEnable, isMon, scheduleObject) VALUES ('07:30', "
                    "'17:00', 1, 1, 2); INSERT INTO DeviceSchedule (did, sid) VALUES (3, 1); "
                    "INSERT INTO Broadcast (status, contentText, durationMin, startDate) VALUES (1, '午餐 12:00', "
                    "2.5, '2024-05-06'); INSERT INTO BroadcastReport (did, bid, status, note) VALUES (1, 1, 2, NULL); "
                    "INSERT INTO MultiUser (userName, password, rfidId, hasPermission, uniqueId) VALUES ('Lin', "
                    "'p', '0099', 1, '{abc}'); INSERT INTO EventLog (deviceName, event, time) VALUES ('Lab', 1, "
                    "'2024-05-06 07:30:00'); UPDATE Account SET email = 'ops@school.example', language = 'zh_TW' "
                    "WHERE isAdmin = 1"),
                &error),
            qPrintable(error));
        const QString backup = m_env.home() + QStringLiteral("/rowforrow-%1.db").arg(plainCopy ? 1 : 2);
        QFile::remove(backup);
        if (plainCopy)
            QVERIFY(QFile::copy(original, backup));
        else
            QCOMPARE(DatabaseFileOps::backup(original, backup), DatabaseFileOps::Ok);
        const QStringList content = DbProbe(backup, QStringLiteral("backupcontent")).content();
        QVERIFY(!content.filter(QStringLiteral("sqlite_sequence: Device|3")).isEmpty());

        const QString live = newConsoleDatabase("rowforrowlive");
        QCOMPARE(stage(live, backup), int(DatabaseFileOps::Ok));
        QCOMPARE(DatabaseFileOps::swapInStaged(live), DatabaseFileOps::Ok);
        QCOMPARE(DbProbe(live, QStringLiteral("restoredcontent")).content(), content);
        QCOMPARE(DbProbe(live, QStringLiteral("types"))
                     .column(QStringLiteral("SELECT typeof(lastPassword) || typeof(durationMin) FROM Device, "
                                            "Broadcast WHERE deviceName = 'Lab'")),
                 QStringList{QStringLiteral("blobreal")});
        // The next start finds nothing to change.
        {
            DatabaseManager manager(dataFolderOf(live), QStringLiteral("afterrowforrow"));
            QCOMPARE(manager.openState(), DatabaseManager::Ready);
        }
        QCOMPARE(DbProbe(live, QStringLiteral("startedcontent")).content(), content);
    }

    // Restore cut every value beyond 4 KiB, but the console itself stores longer ones: the device import a location
    // of any length, the user import names, passwords and cards, Add User a name. After Backup and Restore such a
    // user's password and card no longer matched what the panels held, and two users whose names differed only after
    // byte 4,096 came back under one name. Every value comes back whole; one of 60 MB in the Event Log too, which the
    // Event Log reads only as far as a cell shows; one beyond 64 MB, more than any chosen file is read with, is refused
    // as before, and nothing is replaced. Its refusal named a foreign file; it names the long value.
    void consoleBackupBringsBackEveryValueWhole_data()
    {
        QTest::addColumn<QString>("statements");
        QTest::addColumn<int>("expected");
        const int ok = int(DatabaseFileOps::Ok);
        QTest::newRow("a device and a user as the panels name them")
            << "INSERT INTO Device (deviceName, macAddress, position) VALUES ('Hall', '02:51:4d:00:0e:01', 'East'); "
               "INSERT INTO MultiUser (userName, password, rfidId, hasPermission) VALUES ('Lin', 'p4ss', '0099', 1)"
            << ok;
        // 5,000 pairs of 14 bytes: four characters of three bytes each, a blank and a letter.
        QTest::newRow("a location of 70,000 bytes")
            << QString::fromUtf8("INSERT INTO Device (deviceName, macAddress, position) VALUES ('Hall', "
                                 "'02:51:4d:00:0e:01', replace(hex(zeroblob(5000)), '00', '東區走廊 B'))")
            << ok;
        QTest::newRow("a user's name, password and card of 5,000 bytes each")
            << "INSERT INTO MultiUser (userName, password, rfidId, hasPermission) VALUES ('Teacher ' || "
               "hex(randomblob(2496)), hex(randomblob(2500)), hex(randomblob(2500)), 1)"
            << ok;
        QTest::newRow("two users whose names differ only after byte 4,096")
            << "INSERT INTO MultiUser (userName, password) VALUES (replace(hex(zeroblob(2048)), '0', 'n') || ' A', "
               "'a'); INSERT INTO MultiUser (userName, password) VALUES (replace(hex(zeroblob(2048)), '0', 'n') || "
               "' B', 'b')"
            << ok;
        QTest::newRow("names and a password blob beyond 4 KiB")
            << QString::fromUtf8("INSERT INTO Device (deviceName, macAddress, lastPassword) VALUES (replace(hex("
                                 "zeroblob(3000)), '00', '禮'), '02:51:4d:00:0e:01', zeroblob(5000)); INSERT INTO "
                                 "Device (deviceName, macAddress) VALUES (replace(hex(zeroblob(2049)), '0', 'k'), "
                                 "'02:51:4d:00:0e:02')")
            << ok;
        QTest::newRow("an Event Log value of 60 MB")
            << "INSERT INTO EventLog (deviceName, event, time) VALUES ('Hall', 1, '2024-05-06 07:30:00'); INSERT INTO "
               "EventLog (deviceName, event, time) VALUES (replace(hex(zeroblob(31457280)), '0', 'x'), 1, "
               "'2024-05-06 07:31:00')"
            << ok;
        QTest::newRow("an Event Log value beyond 64 MB")
            << "INSERT INTO EventLog (deviceName, event, time) VALUES (replace(hex(zeroblob(33554433)), '0', 'x'), 1, "
               "'2024-05-06 07:31:00')"
            << int(DatabaseFileOps::ValueTooLarge);
    }
    void consoleBackupBringsBackEveryValueWhole()
    {
        QFETCH(QString, statements);
        QFETCH(int, expected);
        const QString original = newConsoleDatabase("wholesource");
        QString error;
        QVERIFY2(execAll(original, statements, &error), qPrintable(error));
        const QString backup = m_env.home() + QStringLiteral("/whole.db");
        QFile::remove(backup);
        QCOMPARE(DatabaseFileOps::backup(original, backup), DatabaseFileOps::Ok);
        const auto removeCopies = qScopeGuard([&]() { QFile::remove(backup); });
        const QString live = newConsoleDatabase("wholelive");
        const QByteArray liveBefore = fileSha256(live);

        QCOMPARE(stage(live, backup), expected);
        if (expected != int(DatabaseFileOps::Ok)) {
            QCOMPARE(fileSha256(live), liveBefore);
            QCOMPARE(QFileInfo(live).absoluteDir().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                     QStringList{QFileInfo(live).fileName()});
            return;
        }
        QCOMPARE(DatabaseFileOps::swapInStaged(live), DatabaseFileOps::Ok);
        {
            DatabaseManager manager(dataFolderOf(live), QStringLiteral("afterwhole"));
            QCOMPARE(manager.openState(), DatabaseManager::Ready);
        }
        QFile::remove(DatabaseFileOps::keptPath(live));
        for (const QString &table : {QStringLiteral("Device"), QStringLiteral("MultiUser"), QStringLiteral("EventLog")})
            QVERIFY2(rowsDiffering(original, live, table) == 0, qPrintable(table));

        // The Event Log reads no more of a value than its cell shows: the whole of it would be 60 MB and more.
        EventLogReader reader;
        QCOMPARE(reader.open(live, 1000), DB_OK);
        sqlite3_int64 current = 0;
        sqlite3_int64 highest = 0;
        sqlite3_status64(SQLITE_STATUS_MEMORY_USED, &current, &highest, 1);
        QList<VelkEventLog> rows;
        QCOMPARE(reader.pageFrom(std::numeric_limits<qint64>::max(), 10, rows), DB_OK);
        sqlite3_status64(SQLITE_STATUS_MEMORY_USED, &current, &highest, 0);
        // Every row of the page read, the long one too: an empty page would pass what follows.
        QCOMPARE(rows.size(), qMin(DbProbe(live, QStringLiteral("wholeevents")).count(QStringLiteral("EventLog")), 10));
        for (const VelkEventLog &row : qAsConst(rows))
            QVERIFY(row.deviceName.size() <= EventLogReader::CellChars + 1);
        if (current == 0)
            QSKIP("SQLite counts no memory in this build: how much of a value was read cannot be told");
        QVERIFY2(highest < 16 * 1024 * 1024, qPrintable(QString::number(highest)));
    }

    // A file of an older version or one edited by hand may hold rows that repeat a device name, a MAC address, a group
    // name or a number, which the console's tables hold once; the previous version took such a file as it was, this
    // one refused it as "not a database of this program", and the operator lost the whole backup. The first of such
    // rows is kept, the others are left out and counted; a file without them loses nothing.
    void repeatedRowsKeepTheFirstAndAreReported()
    {
        QString error;
        const QString source = changedConsoleCopy(
            QStringLiteral("repeated-rows"),
            QStringLiteral(
                "CREATE TABLE Rebuilt AS SELECT * FROM Device; DROP TABLE Device; ALTER TABLE Rebuilt RENAME TO "
                "Device; "
                "INSERT INTO Device (did, deviceName, macAddress) VALUES (1, 'Hall', '02:51:4d:00:0f:01'); "
                "INSERT INTO Device (did, deviceName, macAddress) VALUES (2, 'Hall', '02:51:4d:00:0f:02'); "
                "INSERT INTO Device (did, deviceName, macAddress) VALUES (3, 'Lab', '02:51:4d:00:0f:01'); "
                "INSERT INTO Device (did, deviceName, macAddress) VALUES (1, 'Gym', '02:51:4d:00:0f:03'); "
                "INSERT INTO Device (did, deviceName, macAddress) VALUES (4, 'Library', '02:51:4d:00:0f:04'); "
                "CREATE TABLE Rebuilt AS SELECT * FROM Groups; DROP TABLE Groups; ALTER TABLE Rebuilt RENAME TO "
                "Groups; "
                "INSERT INTO Groups (gid, groupName) VALUES (1, 'Floor 1'); "
                "INSERT INTO Groups (gid, groupName) VALUES (2, 'Floor 1'); "
                "INSERT INTO EventLog (deviceName, event, time) VALUES ('Hall', 1, '2024-05-06 07:30:00')"),
            &error);
        QVERIFY2(!source.isEmpty(), qPrintable(error));
        const QString live = newConsoleDatabase("repeatedlive");
        DatabaseFileOps::RestoreReport report;
        QCOMPARE(DatabaseFileOps::stageRestore(live, source, &report), DatabaseFileOps::Ok);
        QCOMPARE(report.duplicateRows,
                 (QMap<QString, qint64>{{QStringLiteral("Device"), 3}, {QStringLiteral("Groups"), 1}}));
        DbProbe staged(DatabaseFileOps::stagedPath(live), QStringLiteral("repeatedstaged"));
        QCOMPARE(
            staged.column(QStringLiteral("SELECT did || ' ' || deviceName || ' ' || macAddress FROM Device ORDER BY "
                                         "did")),
            (QStringList{QStringLiteral("1 Hall 02:51:4d:00:0f:01"), QStringLiteral("4 Library 02:51:4d:00:0f:04")}));
        QCOMPARE(staged.column(QStringLiteral("SELECT gid || ' ' || groupName FROM Groups")),
                 QStringList{QStringLiteral("1 Floor 1")});
        QCOMPARE(staged.count(QStringLiteral("EventLog")), 1);
    }

    // Restore copied the AUTOINCREMENT counters as they were: a backup could bring the Event Log's at the end of its
    // range, and every event insert then failed ("database or disk is full"), SOS rows with them. A counter beyond any
    // number the console's records hold is set to the largest key of its table; one within that range stays, so no
    // number once given is given again.
    void counterAtItsEndIsMended()
    {
        QString error;
        const QString source = changedConsoleCopy(
            QStringLiteral("counter-end"),
            QStringLiteral("INSERT INTO EventLog (deviceName, event, time) VALUES ('Hall', 1, '2024-05-06 07:30:00'); "
                           "INSERT INTO Device (deviceName, macAddress) VALUES ('Hall', '02:51:4d:00:10:01'); "
                           "UPDATE sqlite_sequence SET seq = 9223372036854775807 WHERE name = 'EventLog'; "
                           "UPDATE sqlite_sequence SET seq = 40 WHERE name = 'Device'"),
            &error);
        QVERIFY2(!source.isEmpty(), qPrintable(error));
        const QString live = newConsoleDatabase("counterlive");
        QCOMPARE(stage(live, source), int(DatabaseFileOps::Ok));
        QCOMPARE(DatabaseFileOps::swapInStaged(live), DatabaseFileOps::Ok);
        // Every event insert failed, SOS rows too; the counter within range numbers the next devices after it.
        consoleWorksOn(live, QStringLiteral("kelvo"));
        if (QTest::currentTestFailed())
            return;
        DbProbe restored(live, QStringLiteral("countersafter"));
        QCOMPARE(restored.column(QStringLiteral("SELECT name || ' ' || seq FROM sqlite_sequence WHERE name IN "
                                                "('Device', 'EventLog') ORDER BY name")),
                 (QStringList{QStringLiteral("Device 42"), QStringLiteral("EventLog 2")}));
    }

    // Killed between the two renames of its swap, a restore left the replaced data as ".bak" and the checked copy as
    // ".restore", and no live file: the next start removed the copy, began with an empty database and let the factory
    // password in, without a word. It finishes the swap, or undoes it when the copy is not whole, and says so.
    void swapCutBetweenItsRenamesEndsAtTheNextStart_data()
    {
        QTest::addColumn<bool>("copyWhole");
        QTest::addColumn<bool>("journalLeft");
        QTest::newRow("whole copy") << true << false;
        QTest::newRow("whole copy, a journal of the replaced file left") << true << true;
        QTest::newRow("copy not whole") << false << false;
    }
    void swapCutBetweenItsRenamesEndsAtTheNextStart()
    {
        QFETCH(bool, copyWhole);
        QFETCH(bool, journalLeft);
        const QString live = newConsoleDatabase("cutlive");
        QString error;
        QVERIFY2(execAll(live, QStringLiteral("UPDATE Account SET email = 'before@school.example'"), &error),
                 qPrintable(error));
        const QString backup =
            changedConsoleCopy(QStringLiteral("cut-backup"),
                               QStringLiteral("UPDATE Account SET email = 'restored@school.example'; "
                                              "UPDATE Account SET password = 'secret' WHERE isAdmin = 1"),
                               &error);
        QVERIFY2(!backup.isEmpty(), qPrintable(error));
        QCOMPARE(stage(live, backup), int(DatabaseFileOps::Ok));
        const QStringList restored = DbProbe(DatabaseFileOps::stagedPath(live), QStringLiteral("staged")).content();
        const QStringList before = DbProbe(live, QStringLiteral("before")).content();
        if (journalLeft) {
            // A journal that holds nothing to play back, moved with the file the swap set aside.
            QFile journal(live + QStringLiteral("-journal"));
            QVERIFY(journal.open(QIODevice::WriteOnly));
            journal.write(QByteArray(512, '\0'));
        }
        QCOMPARE(DatabaseFileOps::setLiveAside(live), DatabaseFileOps::Ok);
        if (journalLeft)
            QVERIFY(QFile::rename(DatabaseFileOps::keptPath(live) + QStringLiteral("-journal"),
                                  live + QStringLiteral("-journal")));
        if (!copyWhole)
            QVERIFY(QFile::resize(DatabaseFileOps::stagedPath(live), 4096));
        QVERIFY(!QFile::exists(live));

        DatabaseFileOps::SwapEnd told = DatabaseFileOps::NoSwapLeft;
        {
            OrvantaDBManager db(dataFolderOf(live), QStringLiteral("afterthecut"));
            QCOMPARE(db.databaseManager()->openState(), DatabaseManager::Ready);
            told = db.databaseManager()->interruptedRestore();
        }
        QCOMPARE(DbProbe(live, QStringLiteral("after")).content(), copyWhole ? restored : before);
        QCOMPARE(told, copyWhole ? DatabaseFileOps::SwapFinished : DatabaseFileOps::SwapUndone);
        QVERIFY(!QFile::exists(DatabaseFileOps::stagedPath(live)));
        QVERIFY(!QFile::exists(live + QStringLiteral("-journal")));
        if (copyWhole)
            QCOMPARE(DbProbe(DatabaseFileOps::keptPath(live), QStringLiteral("kept")).content(), before);
    }

    // With the live file missing (deleted to start afresh, or set aside as damaged) an old kept file was taken for a
    // swap cut short: start-up put its data back, old passwords and all, and said a restore had been cut short. Only a
    // staged copy shows that a swap was running.
    void oldKeptFileAloneIsNoCutSwap()
    {
        const QString live = newConsoleDatabase("oldkeptlive");
        QString error;
        QVERIFY2(execAll(live, QStringLiteral("UPDATE Account SET password = 'old-secret' WHERE isAdmin = 1"), &error),
                 qPrintable(error));
        const QString kept = DatabaseFileOps::keptPath(live);
        QVERIFY(QFile::rename(live, kept));
        const QByteArray keptBefore = fileSha256(kept);

        DatabaseFileOps::SwapEnd told = DatabaseFileOps::SwapFinished;
        {
            OrvantaDBManager db(dataFolderOf(live), QStringLiteral("afreshwithbak"));
            QCOMPARE(db.databaseManager()->openState(), DatabaseManager::Ready);
            told = db.databaseManager()->interruptedRestore();
            QList<VelkAccount> accounts;
            QCOMPARE(db.queryAccount(accounts), DB_OK);
            QCOMPARE(LoginAccountRule::pick(accounts, true).password, QStringLiteral("kelvo"));
        }
        QCOMPARE(told, DatabaseFileOps::NoSwapLeft);
        QCOMPARE(fileSha256(kept), keptBefore);
    }

    // Start-up removes the private folders a restore left; one that was a link to another folder was followed, and
    // that folder emptied.
    void leftoverLinkIsRemovedNotFollowed()
    {
        const QString live = newConsoleDatabase("linklive");
        const QString elsewhere = m_env.home() + QStringLiteral("/elsewhere");
        QVERIFY(QDir().mkpath(elsewhere));
        QVERIFY(!writeRandomFile(elsewhere + QStringLiteral("/lesson-plans.odt"), 4096).isEmpty());
        const QString link = live + QStringLiteral(".rollback-Ab12Cd");
        QVERIFY(QFile::link(elsewhere, link));

        DatabaseManager manager(dataFolderOf(live), QStringLiteral("afterlink"));
        QCOMPARE(manager.openState(), DatabaseManager::Ready);
        QCOMPARE(QDir(elsewhere).entryList(QDir::Files), QStringList{QStringLiteral("lesson-plans.odt")});
        QVERIFY(!QFileInfo(link).isSymLink() && !QFileInfo::exists(link));
    }

    // A backup in WAL mode was opened where it lay, and SQLite left a shared-memory file and an empty WAL file beside
    // the operator's file; nothing is written there, and the changes in its WAL file are restored.
    void walBackupLeavesNothingBesideIt_data()
    {
        QTest::addColumn<bool>("changesBeside");
        QTest::newRow("nothing beside it") << false;
        QTest::newRow("changes in a WAL file beside it") << true;
    }
    void walBackupLeavesNothingBesideIt()
    {
        QFETCH(bool, changesBeside);
        QTemporaryDir folder(m_env.home() + QStringLiteral("/walbackup-XXXXXX"));
        QVERIFY(folder.isValid());
        const QString backup = folder.filePath(QStringLiteral("wal-backup.db"));
        QVERIFY(QFile::copy(newConsoleDatabase("walsource"), backup));
        {
            DbProbe writer(backup, QStringLiteral("walwriter"));
            QVERIFY(writer.exec(QStringLiteral("PRAGMA journal_mode = WAL")));
            QVERIFY(writer.exec(QStringLiteral("PRAGMA wal_autocheckpoint = 0")));
            QVERIFY(writer.exec(QStringLiteral("UPDATE Account SET email = 'wal@school.example' WHERE isAdmin = 1")));
            if (changesBeside) {
                const QString carried = folder.filePath(QStringLiteral("carried.db"));
                QVERIFY(QFile::copy(backup, carried));
                QVERIFY(QFile::copy(backup + QStringLiteral("-wal"), carried + QStringLiteral("-wal")));
            }
        }
        const QString source = changesBeside ? folder.filePath(QStringLiteral("carried.db")) : backup;
        QCOMPARE(QFileInfo(source + QStringLiteral("-wal")).size() > 0, changesBeside);
        const QStringList beside =
            QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const QByteArray sourceBefore = fileSha256(source);

        const QString live = newConsoleDatabase("wallive");
        QCOMPARE(stage(live, source), int(DatabaseFileOps::Ok));
        QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), beside);
        QCOMPARE(fileSha256(source), sourceBefore);
        DbProbe staged(DatabaseFileOps::stagedPath(live), QStringLiteral("walstaged"));
        QCOMPARE(staged.value(QStringLiteral("SELECT email FROM Account WHERE isAdmin = 1")).toString(),
                 QStringLiteral("wal@school.example"));
        QCOMPARE(staged.journalMode(), QStringLiteral("delete"));
    }

    // A restore swapped the live file from under another program's transaction, whose commit then failed with a disk
    // I/O error. It waits for the program to let go, and says so when it does not.
    void liveFileHeldByAnotherProgramIsWaitedFor_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("writer") << int(DatabaseHold::Writer);
        QTest::newRow("reader") << int(DatabaseHold::Reader);
        QTest::newRow("exclusive") << int(DatabaseHold::Exclusive);
    }
    void liveFileHeldByAnotherProgramIsWaitedFor()
    {
        QFETCH(int, kind);
        const QString live = newConsoleDatabase("heldlive");
        QCOMPARE(DatabaseFileOps::waitForLiveFile(live, 0), DatabaseFileOps::Ok);
        {
            DatabaseHold hold(live, DatabaseHold::Kind(kind));
            QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
            QCOMPARE(DatabaseFileOps::waitForLiveFile(live, 200), DatabaseFileOps::InUse);
        }
        DatabaseHold brief(live, DatabaseHold::Kind(kind), 300);
        QVERIFY2(brief.isHeld(), qPrintable(brief.error()));
        QCOMPARE(DatabaseFileOps::waitForLiveFile(live, 60000), DatabaseFileOps::Ok);
    }

    // Restore's wait for the live file held the lock that keeps new readers out for the whole wait: while another
    // program merely read the file, every read of the console's own waited its busy wait and was refused. The
    // console's reads are answered while the restore waits.
    void waitForTheLiveFileLeavesTheConsoleItsReads()
    {
        const QString data = m_copies.newDataFolder();
        OrvantaDBManager db(data, QStringLiteral("waitreads"));
        QCOMPARE(db.databaseManager()->openState(), DatabaseManager::Ready);
        const QString live = DataFolders::dbFile(data);
        DatabaseHold reader(live, DatabaseHold::Reader);
        QVERIFY2(reader.isHeld(), qPrintable(reader.error()));
        std::atomic<bool> waiting{false};
        std::atomic<int> result{-1};
        std::unique_ptr<QThread> wait(QThread::create([&]() {
            waiting = true;
            result = int(DatabaseFileOps::waitForLiveFile(live, 120000));
        }));
        wait->start();
        QTRY_VERIFY(waiting);
        int answered = 0;
        for (int n = 0; n < 20; ++n) {
            QTest::qWait(25);
            QList<VelkAccount> accounts;
            if (db.queryAccount(accounts) == DB_OK && accounts.size() == 2)
                ++answered;
        }
        // Every read came while the restore still waited.
        QCOMPARE(result.load(), -1);
        reader.release();
        QVERIFY(wait->wait(QuorvinTryCeilingMs));
        QCOMPARE(answered, 20);
        QCOMPARE(result.load(), int(DatabaseFileOps::Ok));
    }

    // A Backup target replaced always ended up readable by its owner alone (0600), also one that others could read
    // before, and a link chosen as the target was replaced by a file.
    void backupKeepsPermissionsAndLinks()
    {
        const QString live = newConsoleDatabase("permlive");
        const QString folder = m_env.home() + QStringLiteral("/permissions");
        QVERIFY(QDir().mkpath(folder));
        const mode_t before = ::umask(027);
        const QString fresh = folder + QStringLiteral("/new.db");
        const DatabaseFileOps::Result freshResult = DatabaseFileOps::backup(live, fresh);
        const QString shared = folder + QStringLiteral("/shared.db");
        QVERIFY(!writeRandomFile(shared, 100).isEmpty());
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), 0644) == 0);
        const DatabaseFileOps::Result sharedResult = DatabaseFileOps::backup(live, shared);
        ::umask(before);
        QCOMPARE(freshResult, DatabaseFileOps::Ok);
        QCOMPARE(sharedResult, DatabaseFileOps::Ok);
        struct stat info;
        QVERIFY(::stat(QFile::encodeName(fresh).constData(), &info) == 0);
        QCOMPARE(int(info.st_mode & 07777), 0640);
        QVERIFY(::stat(QFile::encodeName(shared).constData(), &info) == 0);
        QCOMPARE(int(info.st_mode & 07777), 0644);
        QCOMPARE(DbProbe(shared, QStringLiteral("sharedcontent")).content(),
                 DbProbe(live, QStringLiteral("livecontent")).content());

        const QString target = folder + QStringLiteral("/kept-here.db");
        QVERIFY(!writeRandomFile(target, 100).isEmpty());
        const QString link = folder + QStringLiteral("/link.db");
        QVERIFY(QFile::link(target, link));
        QCOMPARE(DatabaseFileOps::backup(live, link), DatabaseFileOps::Ok);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(DbProbe(target, QStringLiteral("linkcontent")).content(),
                 DbProbe(live, QStringLiteral("livecontent2")).content());
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
                 (QStringList{QStringLiteral("kept-here.db"), QStringLiteral("link.db"), QStringLiteral("new.db"),
                              QStringLiteral("shared.db")}));
    }

    // A folder whose name held bytes that are no text in this system's encoding reached the backup with U+FFFD in
    // their place: the folder was said not to exist, and a file of such a name was written under another name and
    // called a success. Such a name is refused as such, and nothing is written; a name that truly holds U+FFFD serves.
    void backupRefusesNamesThatAreNotText()
    {
        const QString live = newConsoleDatabase("namelive");
        const QByteArray home = QFile::encodeName(m_env.home());
        const QByteArray folder = home + "/caf\xe9";
        const QByteArray named = home + "/names";
        const QByteArray existing = named + "/term\xff.db";
        // Qt can neither list nor remove names it cannot show; the test folder goes only when they are gone.
        const auto removeNames = qScopeGuard([&]() {
            ::unlink(existing.constData());
            ::rmdir(folder.constData());
        });
        QVERIFY(::mkdir(folder.constData(), 0700) == 0);
        QVERIFY(::mkdir(named.constData(), 0700) == 0);
        const QByteArray kept("kept as it was");
        FILE *file = ::fopen(existing.constData(), "w");
        QVERIFY(file && std::fwrite(kept.constData(), 1, size_t(kept.size()), file) == size_t(kept.size()));
        std::fclose(file);

        const QString inFolder = QFile::decodeName(folder) + QStringLiteral("/backup.db");
        QCOMPARE(DatabaseFileOps::backup(live, inFolder), DatabaseFileOps::NameNotText);
        QCOMPARE(DatabaseFileOps::backup(live, QFile::decodeName(existing)), DatabaseFileOps::NameNotText);
        QCOMPARE(DatabaseFileOps::checkRestoreSource(live, QFile::decodeName(existing)), DatabaseFileOps::NameNotText);
        QVERIFY(!QFileInfo::exists(QFile::decodeName(folder)));
        QVERIFY(!QFileInfo::exists(QFile::decodeName(existing)));
        file = ::fopen(existing.constData(), "r");
        QVERIFY(file);
        char bytes[64] = {};
        const size_t read = std::fread(bytes, 1, sizeof bytes, file);
        std::fclose(file);
        QCOMPARE(QByteArray(bytes, int(read)), kept);
        const QString replacement = QFile::decodeName(named) + QString::fromUtf8("/term\uFFFD.db");
        QCOMPARE(DatabaseFileOps::backup(live, replacement), DatabaseFileOps::NameNotText);
        {
            QFile truly(replacement);
            QVERIFY(truly.open(QIODevice::WriteOnly));
        }
        QCOMPARE(DatabaseFileOps::backup(live, replacement), DatabaseFileOps::Ok);
        QCOMPARE(DbProbe(replacement, QStringLiteral("replacement")).count(QStringLiteral("Account")), 2);
    }

    // A Backup killed while it wrote left its part file beside the target in the operator's folder, a name like a
    // backup's that was no whole one. The next start removes it.
    void killedBackupLeavesNothingAfterTheNextStart()
    {
        const QString data = m_copies.newDataFolderWithEvents(QStringLiteral("tokill"), 300000);
        QVERIFY(!data.isEmpty());
        const QString folder = m_env.home() + QStringLiteral("/killed-backup");
        QVERIFY(QDir().mkpath(folder));
        const QString target = folder + QStringLiteral("/copy.db");
        QProcess backup;
        backup.start(QStringLiteral(QV_FILEOPS_PROBE), {QStringLiteral("--backup"), DataFolders::dbFile(data), target});
        QVERIFY(backup.waitForStarted());
        QStringList seen;
        QElapsedTimer clock;
        clock.start();
        while (seen.isEmpty() && backup.state() == QProcess::Running && clock.elapsed() < QuorvinTryCeilingMs) {
            seen = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
            if (seen.isEmpty())
                QThread::usleep(200);
        }
        ::kill(pid_t(backup.processId()), SIGKILL);
        QVERIFY(backup.waitForFinished());
        if (seen.isEmpty() || seen.contains(QStringLiteral("copy.db")))
            QSKIP("the backup ended before it could be killed");
        QVERIFY(!QDir(folder).isEmpty());

        DatabaseManager manager(data, QStringLiteral("afterkilledbackup"));
        QCOMPARE(manager.openState(), DatabaseManager::Ready);
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    // "The database could not be backed up." was all an operator learned for the live file as target, a folder
    // missing or read-only, or a live file another program holds; each is named, and nothing is left.
    void backupNamesItsCause()
    {
        const QString live = newConsoleDatabase("causelive");
        QCOMPARE(DatabaseFileOps::backup(live, live), DatabaseFileOps::IsLiveFile);
        QCOMPARE(DatabaseFileOps::backup(live, m_env.home() + QStringLiteral("/no-such-folder/copy.db")),
                 DatabaseFileOps::FolderMissing);
        {
            DatabaseHold hold(live, DatabaseHold::Exclusive);
            QVERIFY2(hold.isHeld(), qPrintable(hold.error()));
            QCOMPARE(DatabaseFileOps::backup(live, m_env.home() + QStringLiteral("/held.db")), DatabaseFileOps::InUse);
        }
        QVERIFY(!QFile::exists(m_env.home() + QStringLiteral("/held.db")));
        QCOMPARE(QDir(m_env.home()).entryList({QStringLiteral("held.db*")}, QDir::AllEntries | QDir::Hidden),
                 QStringList());
    }
};

QTEST_GUILESS_MAIN(TestDatastoreRestore)
#include "tst_DatastoreRestore.moc"
