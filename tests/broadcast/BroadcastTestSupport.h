#pragma once

// Shared set-up of the broadcast tests: a temporary HOME and database, the command server on an ephemeral loopback
// port with Wake-on-LAN aimed at the simulated fleet, and helpers that store broadcasts and read their reports.

#include "network/NetTestSupport.h"
#include "tools/panelsim/PanelFleet.h"

#include "broadcast/BroadcastManager.h"
#include "broadcast/BroadcastTask.h"
#include "support/TestFiles.h"

#include <memory>

#include <time.h>

namespace BroadcastTest {

constexpr char kPassword[] = "kelvo";

// A fleet of connected-capable panels in direct mode towards our command server; Panel i is serial firstSerial + i.
inline std::unique_ptr<PanelFleet> makeFleet(int count, quint32 firstSerial, const QString &namePrefix,
                                             const QString &baseAddress)
{
    FleetOptions options;
    options.count = count;
    options.firstSerial = firstSerial;
    options.namePrefix = namePrefix;
    options.baseAddress = QHostAddress(baseAddress);
    options.identity.password = QString::fromLatin1(kPassword);
    options.settings.consolePort = CmdServer::getInstance()->serverPort();
    options.settings.reconnectDelayMs = 200;
    options.settings.answerPort = 0;
    options.bindAnswerSockets = false;
    return std::unique_ptr<PanelFleet>(new PanelFleet(options));
}

// Stores the fleet's panels as managed devices (with the display-client version they report) and returns the
// stored records by name. macForm rewrites the stored MAC, as an older database or an import may hold it.
inline QList<VelkIFPDevice> storeFleet(const PanelFleet &fleet,
                                       const std::function<QString(int, const QString &)> &macForm = nullptr)
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QList<VelkIFPDevice> devices = fleet.asDevices();
    QStringList names;
    for (int i = 0; i < devices.size(); ++i) {
        VelkIFPDevice &device = devices[i];
        device.displayClientVersion = fleet.panel(i)->identity().displayClientVersion;
        if (macForm)
            device.macAddress = macForm(i, device.macAddress);
        if (db->createIFPDevice(device) != DB_OK)
            qWarning("createIFPDevice failed for %s", qPrintable(device.deviceName));
        names.append(device.deviceName);
    }
    QList<VelkIFPDevice> all;
    db->queryAllAvailableIFP(all);
    CmdServer::getInstance()->setManagedDevices(all);
    QList<VelkIFPDevice> stored;
    for (const QString &name : qAsConst(names)) {
        for (const VelkIFPDevice &device : qAsConst(all)) {
            if (device.deviceName == name)
                stored.append(device);
        }
    }
    return stored;
}

// An upcoming broadcast to the devices, stored, with one report row per device as the page writes them.
inline VelkBroadcast storeBroadcast(const QList<VelkIFPDevice> &devices, int audioSelection = 0,
                                    const QString &savedAudio = QString(), bool wakeOnLan = false)
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    VelkBroadcast broadcast;
    broadcast.status = VelkBroadcast::Upcoming;
    broadcast.displayType = 0;
    broadcast.contentText = QStringLiteral("Fire drill at 10:30, meet in the yard");
    broadcast.audioSelection = audioSelection;
    broadcast.savedAudioFilename = savedAudio;
    broadcast.displayedAudioFilename = savedAudio;
    broadcast.wakeOnLan = wakeOnLan;
    broadcast.durationSec = 30;
    broadcast.target = 2;
    broadcast.isNow = true;
    broadcast.startDate = QStringLiteral("2024-05-06");
    broadcast.time = QStringLiteral("10:00");
    broadcast.devices = devices;
    if (db->insertBroadcast(broadcast) != DB_OK)
        qWarning("insertBroadcast failed");
    QList<VelkIFPDevice> targets = devices;
    if (!targets.isEmpty() && db->insertBroadcastReport(broadcast, targets) != DB_OK)
        qWarning("insertBroadcastReport failed");
    return broadcast;
}

// Every broadcast of every status removed, with its links and report rows.
inline void wipeBroadcasts()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    for (auto status : {VelkBroadcast::Pending, VelkBroadcast::Upcoming, VelkBroadcast::Completed}) {
        QList<VelkBroadcast> list;
        db->queryBroadcastByStatus(status, list);
        for (VelkBroadcast &b : list)
            db->deleteBroadcast(b);
    }
}

// The local time zone for the life of the object.
class LocalZone
{
public:
    explicit LocalZone(const char *zone) : m_had(qEnvironmentVariableIsSet("TZ")), m_old(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~LocalZone()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }
    LocalZone(const LocalZone &) = delete;
    LocalZone &operator=(const LocalZone &) = delete;

private:
    bool m_had;
    QByteArray m_old;
};

inline BroadcastTask taskOf(const VelkBroadcast &broadcast)
{
    BroadcastTask task;
    task.broadcast = broadcast;
    return task;
}

// The report rows of a broadcast by device name: (status, note).
inline QMap<QString, QPair<int, int>> reportOf(const VelkBroadcast &broadcast)
{
    QList<VelkBroadcastReport> rows;
    OrvantaDBManager::getInstance()->queryBroadcastReportByBroadcast(broadcast, rows);
    QMap<QString, QPair<int, int>> byName;
    for (const VelkBroadcastReport &row : qAsConst(rows))
        byName.insert(row.device.deviceName, qMakePair(row.status, row.note));
    return byName;
}

} // namespace BroadcastTest
