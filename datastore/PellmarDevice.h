#pragma once

#include <QString>

/// A camera read from the camera-management program's database (its table Device),
/// column by column.
struct PellmarDevice
{
    quint32 id = 0;                      ///< column 0
    QString deviceName;                  ///< column 1
    QString ipAddress;                   ///< column 2
    QString macAddress;                  ///< column 3
    QString port = QStringLiteral("80"); ///< column 4
    QString text5;                       ///< column 5
    QString text6;                       ///< column 6
    QString text7;                       ///< column 7
    QString text8;                       ///< column 8
    int number = 0;                      ///< not read
    bool flag = false;                   ///< not read
    QString text9;                       ///< column 9
    QString text10;                      ///< column 10
    QString text11;                      ///< column 11
    QString text12;                      ///< column 12

    /// Lets the camera filters find a camera in a list of ids.
    bool operator==(quint32 cameraId) const { return id == cameraId; }
};
