#include "MinimalSyncClient.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QSqlError>
#include <QTcpSocket>
#include <QVariant>

#include <cstdio>

namespace {
// What the panels are told they talk to; a panel asked by another id first answers with its own users.
const QByteArray kConsoleId = QByteArrayLiteral("minimal-sync-client");
// The status and the stamp the console records for a panel that confirmed its file.
constexpr int kConfirmed = 1;
const QString kStampFormat = QStringLiteral("yyyy-MM-dd hh:mm");
} // namespace

MinimalSyncClient::MinimalSyncClient(const QByteArray &settings, const QHash<quint32, QByteArray> &filesByAddress,
                                     const QHash<quint32, quint32> &devicesByAddress, const QString &statusesPath)
    : MinimalConsole(kConsoleId), m_settings(settings), m_files(filesByAddress), m_devices(devicesByAddress),
      m_connection(QStringLiteral("minimal-sync-client-statuses"))
{
    m_statuses = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_statuses.setDatabaseName(statusesPath);
    if (!m_statuses.open()) {
        std::fprintf(stderr, "minimal client: %s: %s\n", qPrintable(statusesPath),
                     qPrintable(m_statuses.lastError().text()));
        return;
    }
    m_update = QSqlQuery(m_statuses);
    m_statusesReady =
        m_update.prepare(QStringLiteral("UPDATE UserDevice SET syncStatus = ?, lastSyncTime = ? WHERE "
                                        "deviceId = ? AND (syncStatus IS NOT ? OR lastSyncTime IS NOT ?)"));
    if (!m_statusesReady)
        std::fprintf(stderr, "minimal client: %s\n", qPrintable(m_update.lastError().text()));
}

MinimalSyncClient::~MinimalSyncClient()
{
    m_update = QSqlQuery();
    m_statuses.close();
    m_statuses = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

void MinimalSyncClient::accepted(Peer *peer)
{
    const quint32 address = peer->socket->peerAddress().toIPv4Address();
    const auto file = m_files.constFind(address);
    peer->deviceId = m_devices.value(address);
    if (file != m_files.constEnd() && peer->deviceId != 0)
        peer->file = &file.value();
    else
        ++m_unknown;
}

void MinimalSyncClient::received(Peer *peer, const FrameView &frame)
{
    switch (frame.code) {
    case VELK_REMOTE_RSP_ASK_FIRST_SYNC:
        send(peer, VELK_REMOTE_CMD_SYNC_ADMIN_SETTINGS, m_settings);
        send(peer, VELK_REMOTE_CMD_SYNC_USER_SETTINGS, peer->file ? *peer->file : QByteArray());
        break;
    case VELK_REMOTE_RSP_SYNC_USER_SETTINGS_COMPLETE:
        if (++peer->completions != 1 || !peer->file)
            break;
        if (m_recording && !record(peer))
            m_recordsFailed = true;
        if (++m_completed == m_targets) {
            if (m_recording && !commitRecords())
                m_recordsFailed = true;
            finished();
        }
        break;
    default:
        break;
    }
}

bool MinimalSyncClient::record(const Peer *peer)
{
    QElapsedTimer clock;
    clock.start();
    bool ok = m_completed > 0 || m_statuses.transaction();
    m_update.addBindValue(kConfirmed);
    m_update.addBindValue(m_stamp);
    m_update.addBindValue(peer->deviceId);
    m_update.addBindValue(kConfirmed);
    m_update.addBindValue(m_stamp);
    ok = m_update.exec() && ok;
    m_recordingNs += clock.nsecsElapsed();
    return ok;
}

bool MinimalSyncClient::commitRecords()
{
    QElapsedTimer clock;
    clock.start();
    const bool ok = m_statuses.commit();
    m_recordingNs += clock.nsecsElapsed();
    return ok;
}

// Assignments of the synchronised panels' devices that do not hold the record stamped `stamp`.
int MinimalSyncClient::assignmentsWithout(const QString &stamp)
{
    QSqlQuery count(m_statuses);
    if (!count.prepare(QStringLiteral("SELECT COUNT(*) FROM UserDevice WHERE syncStatus IS NOT ? OR lastSyncTime IS "
                                      "NOT ?")))
        return -1;
    count.addBindValue(kConfirmed);
    count.addBindValue(stamp);
    return count.exec() && count.next() ? count.value(0).toInt() : -1;
}

double MinimalSyncClient::synchronise(int timeoutMs, bool recording)
{
    m_recording = recording;
    m_targets = 0;
    m_completed = 0;
    m_recordsFailed = false;
    m_recordingNs = 0;
    for (const auto &peer : m_peers) {
        peer->completions = 0;
        if (peer->identified && peer->file)
            ++m_targets;
    }
    if (m_targets == 0 || m_unknown > 0 || (recording && !m_statusesReady))
        return -1;
    if (recording) {
        // Outside the time: the assignments as a run a minute after the last one finds them.
        const QDateTime now = QDateTime::currentDateTime();
        QSqlQuery setBack(m_statuses);
        if (!setBack.prepare(QStringLiteral("UPDATE UserDevice SET lastSyncTime = ?")))
            return -1;
        setBack.addBindValue(now.addSecs(-60).toString(kStampFormat));
        if (!setBack.exec())
            return -1;
        m_stamp = now.toString(kStampFormat);
    }
    const double seconds = timed(timeoutMs, [this] {
        for (const auto &peer : m_peers) {
            if (peer->identified && peer->file)
                send(peer.get(), VELK_REMOTE_CMD_ASK_FIRST_SYNC, kConsoleId);
        }
    });
    if (m_completed != m_targets) {
        if (recording && m_completed > 0)
            m_statuses.rollback();
        return -1;
    }
    // A panel that confirmed twice got two files: not the exchange being measured.
    for (const auto &peer : m_peers) {
        if (peer->identified && peer->file && peer->completions != 1)
            return -1;
    }
    if (recording && (m_recordsFailed || assignmentsWithout(m_stamp) != 0)) {
        std::fprintf(stderr, "minimal client: not every assignment holds the run's record\n");
        return -1;
    }
    return seconds;
}
