#pragma once

// Shared set-up of the schedule tests: a temporary HOME and database, the command server on an ephemeral loopback
// port whose Wake-on-LAN bursts reach a loopback listener, simulated panels, and schedule seeding.

#include "network/NetTestSupport.h"

#include "datastore/DbResult.h"
#include "shell/base/Clock.h"
#include "tools/panelsim/WakeOnLanListener.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <functional>

#include <memory>

// Counts the magic packets that reach the loopback listener, per MAC.
class WakeCounter : public QObject
{
public:
    WakeCounter()
    {
        if (!m_listener.listen(QHostAddress(QHostAddress::AnyIPv4), 0))
            qWarning("wake listener: %s", qPrintable(m_listener.errorString()));
        connect(&m_listener, &WakeOnLanListener::magicPacketReceived, this, [this](const QString &mac) {
            m_packets[mac.toLower()] += 1;
            if (onPacket)
                onPacket(mac.toLower());
        });
    }
    // Called for every packet, e.g. to wake the simulated panel it is meant for.
    std::function<void(const QString &mac)> onPacket;
    quint16 port() const { return m_listener.port(); }
    int packets(const QString &mac) const { return m_packets.value(mac.toLower()); }
    int total() const
    {
        int sum = 0;
        for (int count : m_packets)
            sum += count;
        return sum;
    }
    void clear() { m_packets.clear(); }

private:
    WakeOnLanListener m_listener;
    QHash<QString, int> m_packets;
};

// With QV_TEST_LOG=1 the console's log lines go to standard error, to follow a failing test.
class EchoLog : public SysLogger
{
public:
    EchoLog()
    {
        if (!qEnvironmentVariableIsSet("QV_TEST_LOG"))
            return;
        LogSystem::getSysLogSystem()->setLogger(this);
        LogSystem::getSysLogSystem()->startLog();
    }
    void log(int, LogLevel, const QString &text) override { fprintf(stderr, "log: %s\n", qPrintable(text)); }
};

// One process-wide console side: database, command server, wake listener.
class SchedulingFixture
{
public:
    SchedulingFixture()
    {
        m_env.reset(new TestEnv);
        OrvantaDBManager::setDataFolder(m_dir.path());
        m_wake.reset(new WakeCounter);
        NetworkConfig config = loopbackNetworkConfig(m_dir.path());
        config.wolPort = m_wake->port();
        config.wolRoundGapMs = 10;
        NetworkConfig::setCurrent(config);
        m_rounds = config.wolRounds;
        server()->setControlPassword(QStringLiteral("kelvo"));
    }

    CmdServer *server() const { return CmdServer::getInstance(); }
    OrvantaDBIntf *db() const { return OrvantaDBManager::getInstance(); }
    WakeCounter &wake() { return *m_wake; }
    // Magic packets of one Wake-on-LAN burst for one device.
    int burst() const { return m_rounds; }

    // Removes every schedule, report, group and device, so each test starts from an empty console.
    void wipe()
    {
        QSqlQuery query(QSqlDatabase::database());
        for (const char *table :
             {"DeviceSchedule", "GroupsSchedule", "Schedule", "DeviceAutoTestSchedule", "GroupsAutoTestSchedule",
              "AutoTestScheduleReport", "AutoTestSchedule", "DeviceGroups", "Groups", "Device"})
            query.exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
        server()->setManagedDevices({});
    }

    // A connected panel for the managed device `name` with MAC of `serial`, on loopback address `addressIndex`.
    std::unique_ptr<SimulatedPanel> panel(int serial, int addressIndex)
    {
        PanelSettings settings = directSettings(addressIndex);
        settings.bootDelayMs = 10;
        settings.reconnectDelayMs = 50;
        std::unique_ptr<SimulatedPanel> panel(new SimulatedPanel(identityWith(serial, "kelvo"), settings));
        return panel;
    }

    VelkGroups group(const QString &name, const QStringList &members)
    {
        VelkGroups group;
        group.groupName = name;
        group.groupType = QStringLiteral("Control Box");
        if (db()->createGroups(group) != DB_OK)
            qWarning("createGroups failed");
        for (const QString &member : members) {
            VelkIFPDevice device;
            device.deviceName = member;
            VelkGroups copy = group;
            db()->joinGroups(device, copy);
        }
        QList<VelkGroups> all;
        db()->queryAllGroup(all);
        for (const VelkGroups &stored : qAsConst(all)) {
            if (stored.groupName == name)
                return stored;
        }
        return group;
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TestEnv> m_env;
    EchoLog m_log;
    std::unique_ptr<WakeCounter> m_wake;
    int m_rounds = 3;
};

// A local date and time in the test's time zone.
inline QDateTime at(int y, int mo, int d, int h, int mi, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

// A device-control schedule for one weekday set; times empty mean "not chosen".
inline VelkSchedule weekly(const QString &onTime, const QString &rebootTime, const QString &offTime, bool monday,
                           bool sunday = false)
{
    VelkSchedule schedule;
    schedule.onTime = onTime;
    schedule.rebootTime = rebootTime;
    schedule.offTime = offTime;
    schedule.isPowerOn = !onTime.isEmpty();
    schedule.isReboot = !rebootTime.isEmpty();
    schedule.isPowerOff = !offTime.isEmpty();
    schedule.isEnable = true;
    schedule.isMon = monday;
    schedule.isSun = sunday;
    schedule.scheduleObject = 1;
    return schedule;
}

inline quint32 addSchedule(VelkSchedule schedule)
{
    return OrvantaDBManager::getInstance()->createSchedule(schedule);
}

inline QList<VelkSchedule> storedSchedules()
{
    QList<VelkSchedule> all;
    OrvantaDBManager::getInstance()->queryAllSchedule(all);
    return all;
}

inline QList<VelkAutoTestSchedule> storedAutoTests()
{
    QList<VelkAutoTestSchedule> all;
    OrvantaDBManager::getInstance()->queryAllAutoTestSchedule(all);
    return all;
}
