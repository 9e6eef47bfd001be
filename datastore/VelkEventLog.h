#pragma once

#include <QMetaType>
#include <QString>

/// One emergency event: a row of table EventLog.
struct VelkEventLog
{
    QString deviceName;
    int event = 0; ///< shown as "Emergency Event"
    QString time;
    qint64 did = 0; ///< row key (the event's own number, not a device id): a rowid, which may pass 2^31
};

Q_DECLARE_METATYPE(VelkEventLog)
