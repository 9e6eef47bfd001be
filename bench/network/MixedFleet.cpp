#include "MixedFleet.h"

#include "BenchSupport.h"
#include "FleetRecords.h"

#include "network/CmdServer.h"

namespace bench {

MixedFleet::MixedFleet(int count)
    : m_count(count), m_matching(count * 6 / 10), m_empty(count / 10), m_wrong(count * 2 / 10)
{
}

QList<VelkIFPDevice> MixedFleet::records(const QString &password) const
{
    return fleetRecords(known(), Records::Stale, password);
}

bool MixedFleet::start(quint16 consolePort, const QString &password, const QString &folder)
{
    struct Group
    {
        int first;
        int count;
        QString password;
        int reconnectDelayMs;
    };
    // A refused panel tries again after its delay; within a storm it must not.
    const QList<Group> groups = {{0, m_matching, password, 2000},
                                 {m_matching, m_empty, QString(), 2000},
                                 {m_matching + m_empty, m_wrong, QStringLiteral("another console"), 2000},
                                 {known(), unknown(), password, 60000}};
    for (const Group &group : groups) {
        PanelProcess::Options options;
        options.count = group.count;
        options.firstIndex = group.first;
        options.consolePort = consolePort;
        options.password = group.password;
        options.reconnectDelayMs = group.reconnectDelayMs;
        m_processes.push_back(std::make_unique<PanelProcess>());
        if (!m_processes.back()->start(options, folder + QStringLiteral("/panelsim-%1.log").arg(group.first)))
            return false;
    }
    return true;
}

int64_t MixedFleet::powerOnAll()
{
    int64_t first = 0;
    for (const auto &process : m_processes) {
        const int64_t at = process->powerOnAll();
        first = first == 0 ? at : first;
    }
    return first;
}

int MixedFleet::lockedOn(const CmdServer *server) const
{
    int locked = 0;
    for (int i = m_matching + m_empty; i < known(); ++i)
        locked += server->connectionState(panelMac(i)) == CmdServer::Locked ? 1 : 0;
    return locked;
}

void MixedFleet::stop()
{
    for (const auto &process : m_processes)
        process->stop();
    m_processes.clear();
}

} // namespace bench
