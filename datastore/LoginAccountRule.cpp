#include "datastore/LoginAccountRule.h"

#include "shell/base/PasswordFieldRule.h"

VelkAccount LoginAccountRule::pick(const QList<VelkAccount> &accounts, bool administrator)
{
    for (const VelkAccount &account : accounts) {
        if (account.isAdmin == administrator)
            return account;
    }
    return VelkAccount();
}

QString LoginAccountRule::problem(const VelkAccount &account)
{
    if (account.aid == 0)
        return QStringLiteral("there is none (or it has the number 0)");
    const PasswordFieldRule::Verdict verdict = PasswordFieldRule::judge(account.password);
    if (verdict == PasswordFieldRule::Taken)
        return QString();
    return QStringLiteral("its password %1").arg(PasswordFieldRule::describe(verdict));
}
