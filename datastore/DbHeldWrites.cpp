#include "datastore/DbHeldWrites.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <QStringList>

#include <algorithm>

#include "datastore/DbWriteBatch.h"
#include "datastore/OrvantaDBIntf.h"
#include "datastore/SqlTransaction.h"
#include "shell/base/Log.h"

namespace {

// Names in one log line at most, as DbWriteBatch names its lost writes.
constexpr int kNamedInLog = 10;

} // namespace

DbHeldWrites::DbHeldWrites(OrvantaDBIntf *db, const QString &connectionName, QObject *parent)
    : QObject(parent), m_db(db), m_connectionName(connectionName)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &DbHeldWrites::tryAgain);
    // A write that another caller got through shows that the database takes writes again.
    SqlTransaction::setCommitListener(m_connectionName, [this] {
        ++m_commits;
        if (m_trying || m_entries.isEmpty())
            return;
        m_nextIntervalMs = m_firstIntervalMs;
        scheduleTry(0);
    });
    if (QCoreApplication *app = QCoreApplication::instance()) {
        // Ctrl+C, SIGTERM, or an Exit the operator confirmed: what the database takes is written, however long the
        // queue, and only what it refuses is lost, by name.
        connect(app, &QCoreApplication::aboutToQuit, this,
                [this] { endOfProcess("the console ended while the database refused them"); });
    }
}

DbHeldWrites::~DbHeldWrites()
{
    SqlTransaction::setCommitListener(m_connectionName, nullptr);
    dropHeld("the data store ended while the database refused them");
}

QSqlDatabase DbHeldWrites::connection() const
{
    if (!QSqlDatabase::contains(m_connectionName))
        return QSqlDatabase();
    return QSqlDatabase::database(m_connectionName, false);
}

void DbHeldWrites::setRetryIntervalMs(int first, int longest)
{
    m_firstIntervalMs = qMax(0, first);
    m_longestIntervalMs = qMax(m_firstIntervalMs, longest);
    m_nextIntervalMs = m_firstIntervalMs;
    if (m_timer.isActive())
        m_timer.start(m_firstIntervalMs);
}

void DbHeldWrites::writeLater(const char *context, const QString &what, Write write)
{
    hold(context, what, std::move(write), nextGroup(), nullptr);
}

void DbHeldWrites::writeLater(const char *context, const QString &what, const QString &key, Write write)
{
    hold(context, what, std::move(write), nextGroup(), nullptr, key);
}

void DbHeldWrites::writeBeforeExit()
{
    m_exiting = true;
    m_nextIntervalMs = m_firstIntervalMs;
    if (m_entries.isEmpty()) {
        emit allWritten();
        return;
    }
    scheduleTry(0);
}

void DbHeldWrites::exitCalledOff()
{
    // Left at the exit's pace, a hold of an hour cost a try every second and a report of each to an exit no longer
    // waiting.
    m_exiting = false;
}

int DbHeldWrites::endOfProcess(const char *why)
{
    m_timer.stop();
    // Slice after slice while each gets something through; a refused try ends it.
    for (int before = m_entries.size() + 1; !m_entries.isEmpty() && m_entries.size() < before;) {
        before = m_entries.size();
        tryAgain();
    }
    m_timer.stop();
    const int dropped = m_entries.size();
    dropHeld(why);
    return dropped;
}

void DbHeldWrites::abandon(const char *why)
{
    m_timer.stop();
    dropHeld(why);
}

void DbHeldWrites::hold(const char *context, const QString &what, Write write, quint64 group, const char *reason,
                        const QString &key)
{
    // A try under way works through the entries by their place: the older write then stays, and runs before this one.
    if (!key.isEmpty() && !m_trying)
        supersede(key);
    Entry entry;
    entry.what = context ? QString::fromUtf8(context) + QStringLiteral(": ") + what : what;
    entry.write = std::move(write);
    entry.group = group;
    entry.key = key;
    entry.commitsSeen = m_commits;
    if (!key.isEmpty())
        ++m_keys[key];
    m_entries.append(std::move(entry));
    if (reason)
        beginEpisode(reason);
    if (!m_trying)
        scheduleTry(m_episode.isValid() ? m_nextIntervalMs : 0);
}

void DbHeldWrites::supersede(const QString &key)
{
    if (!m_keys.contains(key))
        return;
    const int before = m_entries.size();
    m_entries.erase(
        std::remove_if(m_entries.begin(), m_entries.end(), [&key](const Entry &entry) { return entry.key == key; }),
        m_entries.end());
    m_episodeSuperseded += before - m_entries.size();
    m_keys.remove(key);
}

void DbHeldWrites::forgetKey(const QString &key)
{
    if (key.isEmpty())
        return;
    const auto it = m_keys.find(key);
    if (it != m_keys.end() && --*it <= 0)
        m_keys.erase(it);
}

void DbHeldWrites::beginEpisode(const char *reason)
{
    if (m_episode.isValid())
        return;
    m_episode.start();
    m_episodeWritten = 0;
    m_episodeLost = 0;
    m_episodeSuperseded = 0;
    writeLog(LOG_LEVEL_WARNING,
             "DbHeldWrites: writes are held, %s; they are written in order as soon as the database takes them", reason);
}

void DbHeldWrites::scheduleTry(int milliseconds)
{
    if (!m_timer.isActive() || m_timer.remainingTime() > milliseconds)
        m_timer.start(milliseconds);
}

void DbHeldWrites::tryAgain()
{
    if (m_entries.isEmpty() || m_trying)
        return;
    // The held writes must not join a transaction that its owner may still roll back; its commit calls again.
    if (SqlTransaction::depth(m_connectionName) > 0) {
        scheduleTry(m_nextIntervalMs);
        return;
    }
    m_trying = true;
    enum Outcome : char
    {
        StillHeld,
        Written,
        Lost
    };
    QVector<Outcome> outcome;
    // Writes the file refused as full while the disk had room, tried past in this try.
    QVector<int> triedPast;
    QSet<quint64> skipped;
    int tried = 0;
    bool holding = false;
    const char *reason = nullptr;
    DbHoldCause cause = m_holdCause;
    {
        SqlRetryScope retry(connection(), kRetryWaitMs);
        QElapsedTimer slice;
        slice.start();
        int room = -1; // not asked yet
        for (;;) {
            // The writes of this slice still held and not tried past, then further batches while the slice lasts.
            QVector<int> indexes; // of each write of the batch, in m_entries
            for (int i = 0; i < tried; ++i) {
                if (outcome.at(i) == StillHeld && !skipped.contains(m_entries.at(i).group))
                    indexes.append(i);
            }
            // An empty transaction would count as a commit of other writes.
            if (indexes.isEmpty() && tried > 0 && (tried == m_entries.size() || slice.elapsed() >= kSliceMs)) {
                holding = false;
                break;
            }
            DbWriteBatch batch(m_db, this, "DbHeldWrites", true);
            for (int i : qAsConst(indexes))
                batch.write(m_entries.at(i).what, m_entries.at(i).write);
            // Whole batches only: what a caller wrote together reaches the database together.
            while (tried < m_entries.size() && !batch.isHolding() &&
                   (indexes.isEmpty() || slice.elapsed() < kSliceMs)) {
                const quint64 group = m_entries.at(tried).group;
                while (tried < m_entries.size() && m_entries.at(tried).group == group) {
                    const Entry &entry = m_entries.at(tried);
                    batch.write(entry.what, entry.write);
                    outcome.append(StillHeld);
                    indexes.append(tried);
                    ++tried;
                }
            }
            batch.finish();
            for (int k = 0; k < indexes.size(); ++k)
                outcome[indexes.at(k)] = batch.isHeld(k) ? StillHeld : batch.isKept(k) ? Written : Lost;
            holding = batch.isHolding();
            if (!holding)
                break;
            if (!reason) {
                reason = batch.m_reason;
                cause = holdCauseOf(batch.m_refusal, batch.m_refusedByAnotherConnection);
            }
            const int refused = batch.m_refusedWrite >= 0 ? indexes.at(batch.m_refusedWrite) : -1;
            if (refused < 0)
                break;
            if (room < 0 && batch.m_refusal == DbFailure::DiskFull && !batch.m_refusedByAnotherConnection)
                room = roomForAnyWrite() ? 1 : 0;
            if (!HeldWriteGiveUp::triedPast(batch.m_refusal, batch.m_refusedByAnotherConnection, room > 0)) {
                // Refused for now (a full disk, an I/O error, another program's hold): it and the writes behind it
                // wait.
                m_entries[refused].giveUp.reset();
                break;
            }
            // The disk has room, yet the file refuses this write as full: the writes behind its batch tell whether
            // the database takes others.
            triedPast.append(refused);
            skipped.insert(m_entries.at(refused).group);
        }
    }
    m_trying = false;

    // Refused again as full while the disk has room: given up once others have committed meanwhile.
    bool refusedNow = holding;
    for (int index : qAsConst(triedPast)) {
        if (refusedOfItsOwn(index, holding, reason))
            outcome[index] = Lost;
        else
            refusedNow = true;
    }
    int written = 0;
    int lost = 0;
    QVector<Entry> left;
    for (int i = 0; i < tried; ++i) {
        if (outcome.at(i) == StillHeld) {
            left.append(m_entries.at(i));
            continue;
        }
        forgetKey(m_entries.at(i).key);
        if (outcome.at(i) == Written)
            ++written;
        else
            ++lost;
    }
    left += m_entries.mid(tried);
    m_entries = left;

    if (refusedNow && reason) {
        m_holdCause = cause;
        beginEpisode(reason);
    }
    // Writes handed over not to wait (writeLater) that went through at once were never refused: nobody needs to read
    // the database again for them.
    const bool refused = m_episode.isValid();
    m_episodeWritten += written;
    m_episodeLost += lost;
    if (m_entries.isEmpty()) {
        m_timer.stop();
        m_nextIntervalMs = m_firstIntervalMs;
        if (m_episode.isValid()) {
            const QByteArray superseded =
                m_episodeSuperseded > 0
                    ? QStringLiteral(", %1 replaced by later writes").arg(m_episodeSuperseded).toUtf8()
                    : QByteArray();
            writeLog(LOG_LEVEL_INFO,
                     "DbHeldWrites: the database takes writes again after %lld ms: %d held writes written, %d lost%s",
                     static_cast<long long>(m_episode.elapsed()), m_episodeWritten, m_episodeLost,
                     superseded.constData());
            m_episode.invalidate();
        }
    } else if (refusedNow) {
        scheduleTry(m_nextIntervalMs);
        // An operator waits at Exit: the pauses do not grow while the console ends.
        m_nextIntervalMs = m_exiting ? m_firstIntervalMs : qMin(m_nextIntervalMs * 2, m_longestIntervalMs);
    } else {
        // The slice ran out, or a write was given up: the rest in the next turn of the event loop.
        scheduleTry(0);
    }
    if (written > 0 && refused)
        emit heldWritesWritten();
    if (lost > 0)
        emit writesLost(lost);
    if (m_entries.isEmpty() && (written > 0 || lost > 0))
        emit allWritten();
    else if (refusedNow && m_exiting)
        emit refusedAtExit(m_entries.size());
}

DbHoldCause DbHeldWrites::holdCauseOf(DbFailure refusal, bool byAnotherConnection)
{
    if (byAnotherConnection)
        return DbHoldCause::AnotherProgram;
    // The file refuses the rest for now only when it could not be read or written (an I/O error, no memory).
    return refusal == DbFailure::DiskFull ? DbHoldCause::DiskFull : DbHoldCause::FileError;
}

bool DbHeldWrites::roomForAnyWrite() const
{
    // The file itself, wherever symbolic links (to it or to a folder above it) lead: SQLite writes the file and its
    // journal there, and a link on a roomy disk to a file on a nearly full one had writes given up for room the
    // file's disk did not have.
    const QFileInfo named(connection().databaseName());
    const QString real = named.canonicalFilePath();
    const QFileInfo file(real.isEmpty() ? named.absoluteFilePath() : real);
    const QStorageInfo disk(file.absolutePath());
    // A disk that cannot be asked is taken for a full one: its writes wait.
    return disk.isValid() && disk.isReady() && HeldWriteGiveUp::roomForAnyWrite(disk.bytesAvailable(), file.size());
}

bool DbHeldWrites::refusedOfItsOwn(int index, bool othersRefused, const char *reason)
{
    Entry &entry = m_entries[index];
    const bool othersCommitted = m_commits != entry.commitsSeen;
    entry.commitsSeen = m_commits;
    if (!entry.giveUp.refusedAgain(othersCommitted, othersRefused))
        return false;
    writeLog(LOG_LEVEL_ERROR,
             "DbHeldWrites: not written, refused %d times (%s) while the database takes other writes: %s",
             entry.giveUp.refusals(), reason ? reason : "for now", entry.what.toUtf8().constData());
    return true;
}

void DbHeldWrites::dropHeld(const char *why)
{
    if (m_entries.isEmpty())
        return;
    QStringList names;
    for (int i = 0; i < m_entries.size() && i < kNamedInLog; ++i)
        names.append(m_entries.at(i).what);
    QString named = names.join(QLatin1String(", "));
    if (m_entries.size() > kNamedInLog)
        named += QStringLiteral(" and %1 more").arg(m_entries.size() - kNamedInLog);
    writeLog(LOG_LEVEL_ERROR, "DbHeldWrites: %d held writes not written, %s: %s", int(m_entries.size()), why,
             named.toUtf8().constData());
    m_entries.clear();
    m_keys.clear();
    m_episode.invalidate();
}
