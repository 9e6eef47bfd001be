#pragma once

#include "datastore/VelkIFPDevice.h"

#include <QList>
#include <QString>
#include <QStringList>

/// One group of simulated devices of the sample fleet: what a panelsim process is started with.
struct FixtureFleet
{
    QString namePrefix;
    QString model;
    QString deviceType;
    QString fwVersion;
    QString panelFwVersion;
    QString sku;
    int count = 1;
    quint32 firstSerial = 1;
    QString baseIp;
    bool off = false; ///< starts powered off and waits for its magic packet
};

/// A sample update folder for trying a whole firmware update by hand: the update manifest, the panel firmware
/// manifest and the audio boxes' update.cfg with the synthetic files they name, laid out as the servers publish
/// them, and the simulated fleet that goes with it. Every file is made here; nothing comes from a real device or
/// server.
class OtaFixture
{
public:
    /// Writes the folder for servers reachable at `baseUrl` ("http://127.0.0.1:18080"). False with `error` set.
    static bool build(const QString &folder, const QString &baseUrl, qint64 firmwareSize, QString *error);

    /// The sample fleet: some devices out of date, some current, some powered off.
    static QList<FixtureFleet> fleets();

    /// The panelsim command line (without the program) for one fleet.
    static QStringList panelsimArguments(const FixtureFleet &fleet, quint16 consolePort, quint16 wolPort,
                                         const QString &password);

    /// The database records of one fleet's devices, as the console would hold them.
    static QList<VelkIFPDevice> devices(const FixtureFleet &fleet);
};
