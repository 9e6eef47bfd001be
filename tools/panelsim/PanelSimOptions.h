#pragma once

#include "PanelFleet.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

/// The command line of the panelsim executable, read into a fleet description. Pure: no sockets.
struct PanelSimOptions
{
    FleetOptions fleet;
    bool listenForWake = true;
    QHostAddress wolAddress = QHostAddress(QHostAddress::AnyIPv4);
    quint16 wolPort = 33333;
    bool wolShared = false;       ///< share the port with other panelsim processes (fleets of distinct MACs)
    bool startOff = false;        ///< wait for a magic packet instead of starting at once
    int sosEverySec = 0;          ///< > 0: every so many seconds the next connected panel raises an SOS
    bool printCsv = false;        ///< print the device CSV and exit
    bool verbose = false;         ///< log every frame received (file chunks excepted)
    bool monotonicStamps = false; ///< stamp output lines with CLOCK_MONOTONIC microseconds, not the time of day
    bool showHelp = false;
    QString helpText;

    /// Reads `arguments` (argv including the program name). False with `error` set for a bad value; every address
    /// must lie in 127.0.0.0/8.
    static bool parse(const QStringList &arguments, PanelSimOptions *out, QString *error);
    /// A reading rate in Mbit/s, fractions allowed, as bytes a second (0: as fast as possible, and a rate too small to
    /// count a byte reads one). False for what is no number from 0 to 100000.
    static bool linkRate(const QString &mbps, qint64 *bytesPerSecond);
};
