#pragma once

#include <QString>

/// A console log-in account: a row of table Account.
struct VelkAccount
{
    QString password; ///< the administrator's is also the panels' control password
    QString email;
    bool isAdmin = false;
    QString language;    ///< locale name such as "en_US"; may be empty
    QString sosUsername; ///< camera-management user name
    QString sosPassword; ///< camera-management password, base64-encoded
    quint32 aid = 0;     ///< row key
};
