#pragma once

// A fleet's first connect after an import that is not quite right: of the panels, 60 % report the console's password,
// 10 % none (the console sends them its own), 20 % another console's (shown locked) and 10 % are not in the console's
// list (refused). Each group is a panelsim process of its own (bench::PanelProcess), all switched on together.

#include "PanelProcess.h"

#include "datastore/VelkIFPDevice.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class CmdServer;

namespace bench {

class MixedFleet
{
public:
    explicit MixedFleet(int count);

    int matching() const { return m_matching; }
    int withoutPassword() const { return m_empty; }
    int otherPassword() const { return m_wrong; }
    int unknown() const { return m_count - known(); }
    int known() const { return m_matching + m_empty + m_wrong; }
    // The panels that end up connected: those with the console's password and those given it.
    int connecting() const { return m_matching + m_empty; }

    // The console's records of the known panels, as a device import leaves them.
    QList<VelkIFPDevice> records(const QString &password) const;
    // Starts the four processes with every panel off; their logs go to folder.
    bool start(quint16 consolePort, const QString &password, const QString &folder);
    // Switches every panel on; the monotonic time (bench::nowNs) of the first command.
    int64_t powerOnAll();
    // The panels with another console's password that the console holds as locked.
    int lockedOn(const CmdServer *server) const;
    void stop();

private:
    int m_count;
    int m_matching;
    int m_empty;
    int m_wrong;
    std::vector<std::unique_ptr<PanelProcess>> m_processes;
};

} // namespace bench
