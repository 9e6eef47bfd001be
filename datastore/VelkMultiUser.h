#pragma once

#include <QString>

/// A user account of the panels: a row of table MultiUser.
struct VelkMultiUser
{
    QString userName;
    QString password;
    QString rfidId; ///< bound RFID card, empty when none
    bool hasPermission = false;
    QString uniqueId; ///< UUID text given when the user is created
    quint32 muid = 0; ///< row key
};
