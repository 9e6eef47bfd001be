#include "shell/app/AccountEditRules.h"

#include "datastore/OrvantaDBIntf.h"
#include "shell/app/LoginRules.h"
#include "shell/base/PasswordFieldRule.h"

QString AccountEditRules::storedLanguage(const VelkAccount &account, const VelkAccount &administrator)
{
    return account.isAdmin ? account.language : administrator.language;
}

AccountEditRules::Decision AccountEditRules::decide(const VelkAccount &account, const VelkAccount &administrator,
                                                    const Form &form)
{
    Decision decision;
    decision.record = account;
    const bool languageChanged = form.language != storedLanguage(account, administrator);
    // Spaces pasted along with an address are no part of it: stored, they went wherever the address was used. An
    // address an earlier version stored with them is no change of its own while the field shows it; once the operator
    // takes them out, it is stored without them, with no password asked for that alone.
    const QString email = PasswordFieldRule::address(form.email);
    if (email == PasswordFieldRule::address(account.email) && form.password.isEmpty() && form.confirmation.isEmpty()) {
        if (form.email == account.email || email == account.email) {
            decision.outcome = languageChanged ? LanguageOnly : NothingChanged;
            return decision;
        }
        decision.record.email = email;
        decision.languageChanged = languageChanged;
        if (languageChanged && account.isAdmin)
            decision.record.language = form.language;
        decision.outcome = AddressTrimmed;
        return decision;
    }
    if (!LoginRules::isValidEmail(email)) {
        decision.outcome = InvalidEmail;
        return decision;
    }
    decision.record.email = email;
    if (form.password != form.confirmation) {
        decision.outcome = PasswordsDiffer;
        return decision;
    }
    if (!form.password.isEmpty())
        decision.record.password = form.password;
    if (languageChanged) {
        decision.languageChanged = true;
        if (account.isAdmin)
            decision.record.language = form.language;
    }
    decision.outcome = NeedsPasswordCheck;
    return decision;
}

VelkAccount AccountEditRules::administrator(OrvantaDBIntf *db)
{
    QList<VelkAccount> accounts;
    if (db->queryAccount(accounts) == DB_OK) {
        for (const VelkAccount &candidate : qAsConst(accounts)) {
            if (candidate.isAdmin)
                return candidate;
        }
    }
    return VelkAccount();
}

bool AccountEditRules::readStoredAccount(OrvantaDBIntf *db, quint32 aid, VelkAccount &stored)
{
    QList<VelkAccount> accounts;
    if (db->queryAccount(accounts) != DB_OK)
        return false;
    for (const VelkAccount &account : qAsConst(accounts)) {
        if (account.aid == aid) {
            stored = account;
            return true;
        }
    }
    return false;
}

VelkAccount AccountEditRules::withChanges(const VelkAccount &base, const VelkAccount &edited, const VelkAccount &stored)
{
    VelkAccount result = stored;
    if (edited.email != base.email)
        result.email = edited.email;
    if (edited.password != base.password)
        result.password = edited.password;
    if (edited.language != base.language)
        result.language = edited.language;
    return result;
}

quint32 AccountEditRules::writeChanges(OrvantaDBIntf *db, const VelkAccount &base, const VelkAccount &edited,
                                       VelkAccount *written)
{
    VelkAccount stored;
    VelkAccount record = readStoredAccount(db, edited.aid, stored) ? withChanges(base, edited, stored) : edited;
    const quint32 result = db->updateAccount(record);
    if (written)
        *written = record;
    return result;
}

quint32 AccountEditRules::writeLanguage(OrvantaDBIntf *db, const VelkAccount &account, const VelkAccount &administrator,
                                        const QString &language)
{
    const VelkAccount &owner = account.isAdmin ? account : administrator;
    VelkAccount edited = owner;
    edited.language = language;
    return writeChanges(db, owner, edited);
}

AccountEditRules::CheckResult AccountEditRules::confirmAndWrite(OrvantaDBIntf *db, const QString &typed,
                                                                const VelkAccount &account, const VelkAccount &pending,
                                                                VelkAccount *written)
{
    if (typed != account.password)
        return WrongPassword;
    // The panels must not get a password that the database does not hold.
    return writeChanges(db, account, pending, written) == DB_OK ? Written : WriteFailed;
}
