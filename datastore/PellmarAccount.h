#pragma once

#include <QString>

/// An account read from the camera-management program's database (its table Account),
/// column by column. That program owns the table; only the positions are relied upon.
struct PellmarAccount
{
    quint32 id = 0;          ///< column 0
    QString accountName;     ///< column 1, the log-in name
    QString password;        ///< column 2, decoded from base64 when read
    QString text3;           ///< column 3
    quint32 accessLevel = 1; ///< column 4; 0 = the account sees every camera
    QString groupIds;        ///< column 5, comma-separated camera-group ids
    QString deviceIds;       ///< column 6, comma-separated camera ids
    QString text7;           ///< column 7
    QString text8;           ///< column 8
};
