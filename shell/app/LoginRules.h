#pragma once

#include "datastore/VelkAccount.h"

#include <QList>
#include <QString>

/// The decisions of the log-in window, kept apart from its widgets.
class LoginRules
{
public:
    enum EmailCheck
    {
        EmailOk,
        EmailInvalid,
        EmailMismatch
    };

    /// The account type chosen in the log-in window: index 0 is the administrator, any other
    /// index the normal user. The first account of that kind in list order; none gives an empty
    /// record (aid 0).
    static VelkAccount pickAccount(const QList<VelkAccount> &accounts, int typeIndex);

    /// The typed text equals the stored password exactly (letter case and blanks count).
    /// The empty record of a missing account never matches, and an empty text matches nothing.
    static bool passwordMatches(const QString &typed, const VelkAccount &account);

    /// At least one character before the first at sign, at least one between it and the last
    /// dot, and at least two after that dot. Nothing else is tested.
    static bool isValidEmail(const QString &email);

    /// The address must pass isValidEmail and then equal its confirmation exactly, each taken without the spaces
    /// around it (PasswordFieldRule::address()).
    static EmailCheck checkEmail(const QString &email, const QString &confirmation);

    /// Eight characters from A-Z, a-z and 0-9, drawn from the operating system's
    /// cryptographic generator.
    static QString generateRandomPassword();

    static const int randomPasswordLength = 8;
};
