#pragma once

#include <QList>
#include <QString>

#include "datastore/VelkAccount.h"

/// Which console account log-in takes for each account type, and whether an operator can log in with it. The log-in
/// window picks its account by this rule, and a restore judges the accounts of the file it would swap in by the same
/// rule, read as log-in reads them (CoreTables::queryAccount): a file that passed a check of its own kind locked the
/// operator out once swapped in.
class LoginAccountRule
{
public:
    /// The first account of that kind in list order; none gives an empty record (aid 0).
    static VelkAccount pick(const QList<VelkAccount> &accounts, bool administrator);

    /// What keeps an operator from logging in with account, empty when nothing does: no such account (aid 0, log-in's
    /// stand-in for none), or a password the log-in field cannot take (PasswordFieldRule). Whether the account's
    /// number finds its row again, as the first e-mail entry writes it by that number, the caller asks the file.
    static QString problem(const VelkAccount &account);
};
