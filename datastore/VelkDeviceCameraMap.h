#pragma once

#include <QString>

/// The camera paired with one device: a row of table DeviceCameraMap.
struct VelkDeviceCameraMap
{
    int did = 0;     ///< the device's id
    QString account; ///< the camera-management account of the pairing
    QString deviceName;
    QString mac;
    int aid = 0; ///< row key
};
