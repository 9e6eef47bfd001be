#pragma once

#include "SimulatedPanel.h"

#include "datastore/VelkIFPDevice.h"

#include <QHash>
#include <QList>
#include <QObject>

class WakeOnLanListener;

/// How a fleet is made: `count` panels copied from one template, each with its own loopback address and MAC.
struct FleetOptions
{
    int count = 1;
    /// Panel i lives on LoopbackAddress::forIndex(baseAddress, i). Falls back to 127.0.0.1 for every panel when
    /// this host does not route 127.0.0.2 and up.
    QHostAddress baseAddress = QHostAddress(QStringLiteral("127.0.0.2"));
    quint32 firstSerial = 1;                                     ///< panel i gets MAC 02:51:4d + (firstSerial + i)
    QString namePrefix = QStringLiteral("Panel-");               ///< "Panel-001", ...
    PanelIdentity identity = SimulatedPanel::defaultIdentity(0); ///< template; mac is replaced per panel
    /// Not empty: every panel reports this MAC instead of its own, as uninitialised network cards report
    /// 00:00:00:00:00:00. asDevices() and deviceCsv() then give no MAC: a console can enter such panels by address
    /// only.
    QString reportedMac;
    PanelSettings settings;   ///< template; ownAddress is replaced; answerPort 0 = one free port for all panels
    PanelBehaviour behaviour; ///< template
    /// > 0: the panels confirm their account files (RSP_SYNC_USER_SETTINGS_COMPLETE) spread evenly over this many ms,
    /// panel i after i * syncAnswerSpreadMs / count, as a fleet of slow or busy panels does; load runs of Sync Now.
    int syncAnswerSpreadMs = 0;
    bool bindAnswerSockets = true; ///< bind every discovery socket at once (needed for discovery mode)
};

/// N simulated panels on loopback, sharing one Wake-on-LAN listener that hands each magic packet to its panel.
class PanelFleet : public QObject
{
    Q_OBJECT
public:
    explicit PanelFleet(const FleetOptions &options, QObject *parent = nullptr);
    ~PanelFleet() override;

    int size() const { return m_panels.size(); }
    SimulatedPanel *panel(int index) const { return m_panels.value(index); }
    QList<SimulatedPanel *> panels() const { return m_panels; }
    /// Any MAC spelling; null when no panel has it.
    SimulatedPanel *panelByMac(const QString &mac) const;
    FleetOptions options() const { return m_options; }

    void startAll();
    void shutDownAll();

    /// One listener for the whole fleet (0 = ephemeral port, read back with wakePort()); `shared` as
    /// WakeOnLanListener::listen.
    bool listenForWake(const QHostAddress &address = QHostAddress(QHostAddress::AnyIPv4), quint16 port = 33333,
                       bool shared = false);
    quint16 wakePort() const;

    /// The port every panel's discovery socket is bound to; 0 when they are not bound.
    quint16 answerPort() const { return m_answerPort; }
    /// False when this host offers only 127.0.0.1 and every panel shares it.
    bool usesAliases() const { return m_usesAliases; }

    int countInState(SimulatedPanel::State state) const;
    int connectedCount() const { return countInState(SimulatedPanel::Connected); }

    /// Records for seeding a console's database: name, model, MAC, loopback IP and device type of every panel.
    QList<VelkIFPDevice> asDevices() const;
    /// The same as the console's 8-column device CSV (header line first), for the import dialog.
    QByteArray deviceCsv() const;
    /// "Panel-001" style names, at least three digits.
    static QString panelName(const QString &prefix, int index, int count);

signals:
    void panelConnected(SimulatedPanel *panel);
    void panelDisconnected(SimulatedPanel *panel);
    void panelWoken(SimulatedPanel *panel);
    void logMessage(const QString &line);

private:
    bool bindAnswerSockets();

    FleetOptions m_options;
    QList<SimulatedPanel *> m_panels;
    QHash<QString, SimulatedPanel *> m_byMac;
    WakeOnLanListener *m_wakeListener = nullptr;
    quint16 m_answerPort = 0;
    bool m_usesAliases = true;
};

/// The fleet under its other name.
using SimulatedFleet = PanelFleet;
