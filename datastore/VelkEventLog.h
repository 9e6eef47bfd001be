#pragma once

#include <QMetaType>
#include <QString>

/// One emergency event: a row of table EventLog.
struct VelkEventLog
{
    QString deviceName;
    int event = 0; ///< shown as "Emergency Event"
    QString time;
    int did = 0; ///< row key (the event's own number, not a device id)
};

Q_DECLARE_METATYPE(VelkEventLog)
