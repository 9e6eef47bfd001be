#pragma once

#include <QString>

/// The newest firmware known for one device model: a row of table OtaReminder.
struct VelkOtaReminder
{
    QString deviceModelName;
    QString deviceNewestFwVersion;
    QString deviceNewestPanelFwVersion;
    int isFwVersionSkipped = 0;      ///< not 0 when the operator chose to skip that version
    int isPanelFwVersionSkipped = 0; ///< not 0 when the operator chose to skip that version
    quint32 orid = 0;                ///< row key
};
