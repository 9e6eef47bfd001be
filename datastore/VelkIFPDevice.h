#pragma once

#include <QMetaType>
#include <QString>

/// One managed device (a panel, a control box or an audio box): a row of table Device.
///
/// Plain value type. The fields down to learnedMac are columns; otaState, isOnline and
/// extraText are working state of other subsystems and are never read or written by the
/// data store. did is the row key, 0 for a record that was never read back.
struct VelkIFPDevice
{
    QString deviceName; ///< unique among devices (letter case ignored by the checks)
    QString modelName;
    QString macAddress; ///< unique when not empty; empty for a device entered by IP address alone
    QString ipAddress;
    QString fwVersion;
    QString lastPassword;
    QString subnetMask;
    QString gateway;
    QString panelFwVersion;
    QString displayClientVersion;
    QString sku;
    bool isKicked = false; ///< another console took the device over
    QString deviceType;    ///< "Control Box", "Audio Box", ...
    QString position;      ///< free-text location
    QString ptzCamera;     ///< the paired camera
    /// The MAC the console learned at the device's address from a panel matched by that address, written together
    /// with macAddress; empty when the MAC was entered by the operator (or learned by a version that kept no such
    /// mark). It counts only while it names the MAC the record holds: a MAC set since by anything that does not know
    /// this column leaves a mark that names another one.
    QString learnedMac;
    int otaState = 0;      ///< not stored: OtaDeviceState during a firmware-update run
    bool isOnline = false; ///< not stored: set by device lists from the online check
    QString extraText;     ///< not stored
    quint32 did = 0;       ///< row key
};

Q_DECLARE_METATYPE(VelkIFPDevice)
