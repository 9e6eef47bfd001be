#pragma once

#include <QMetaType>
#include <QString>

/// One managed device (a panel, a control box or an audio box): a row of table Device.
///
/// Plain value type. The fields down to ptzCamera are columns; otaState, isOnline and
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
    int otaState = 0;      ///< not stored: OtaDeviceState during a firmware-update run
    bool isOnline = false; ///< not stored: set by device lists from the online check
    QString extraText;     ///< not stored
    quint32 did = 0;       ///< row key
};

Q_DECLARE_METATYPE(VelkIFPDevice)
