#include "shell/app/LoginRules.h"

#include <QRandomGenerator>

#include "datastore/LoginAccountRule.h"
#include "shell/base/PasswordFieldRule.h"

VelkAccount LoginRules::pickAccount(const QList<VelkAccount> &accounts, int typeIndex)
{
    // The rule a restore judges a file's accounts by, too.
    return LoginAccountRule::pick(accounts, typeIndex == 0);
}

bool LoginRules::passwordMatches(const QString &typed, const VelkAccount &account)
{
    // aid 0 is the stand-in for "no such account"; its empty password must not let an empty
    // field in. Nor may a stored password that is empty (NULL in a file edited by hand): an
    // empty field never logs in.
    if (account.aid == 0 || typed.isEmpty())
        return false;
    return typed == account.password;
}

bool LoginRules::isValidEmail(const QString &email)
{
    const int at = email.indexOf(QLatin1Char('@'));
    const int dot = email.lastIndexOf(QLatin1Char('.'));
    return at >= 1 && dot >= at + 2 && dot + 2 < email.length();
}

LoginRules::EmailCheck LoginRules::checkEmail(const QString &email, const QString &confirmation)
{
    const QString address = PasswordFieldRule::address(email);
    if (!isValidEmail(address))
        return EmailInvalid;
    if (address != PasswordFieldRule::address(confirmation))
        return EmailMismatch;
    return EmailOk;
}

QString LoginRules::generateRandomPassword()
{
    static const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
    QRandomGenerator *generator = QRandomGenerator::system();
    QString password;
    password.reserve(randomPasswordLength);
    for (int i = 0; i < randomPasswordLength; ++i)
        password.append(alphabet.at(int(generator->bounded(quint32(alphabet.size())))));
    return password;
}
