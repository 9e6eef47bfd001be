#pragma once

#include <QString>

/// The panels' multi-user settings, one row of table MultiUserAdmin.
struct VelkMultiUserAdmin
{
    bool enableSetupServer = false;
    bool enableMultiUser = false;
    QString createAccountPassword;
    bool enableGuestUser = false;
    QString adminPassword;
    QString adminRfidId;
    quint32 maid = 0; ///< row key
};
