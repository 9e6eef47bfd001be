#include "accounts/UserRules.h"

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"

namespace {

// DB_OK with the users of that exact name, or the failed lookup's code.
quint32 usersNamed(OrvantaDBIntf *db, const QString &name, QList<VelkMultiUser> &users)
{
    users.clear();
    return db->queryMultiUserByName(users, name);
}

} // namespace

UserRules::Verdict UserRules::checkNewUser(OrvantaDBIntf *db, const QString &name, const QString &password,
                                           const QString &confirm)
{
    QList<VelkMultiUser> users;
    if (usersNamed(db, name, users) != DB_OK)
        return LookupFailed;
    if (!users.isEmpty())
        return NameTaken;
    if (password != confirm)
        return PasswordMismatch;
    if (name.isEmpty())
        return NameEmpty;
    return checkPassword(password, confirm, true);
}

UserRules::Verdict UserRules::checkRename(OrvantaDBIntf *db, quint32 muid, const QString &name)
{
    if (name.isEmpty())
        return NameEmpty;
    QList<VelkMultiUser> users;
    if (usersNamed(db, name, users) != DB_OK)
        return LookupFailed;
    for (const VelkMultiUser &user : qAsConst(users)) {
        if (user.muid != muid)
            return NameTaken;
    }
    return Accepted;
}

UserRules::Verdict UserRules::checkPassword(const QString &password, const QString &confirm, bool allowEmpty)
{
    if (password != confirm)
        return PasswordMismatch;
    if (password.isEmpty() && allowEmpty)
        return Accepted;
    if (PasswordRule::isTooShort(password))
        return PasswordTooShort;
    return Accepted;
}

QString UserRules::message(Verdict verdict)
{
    switch (verdict) {
    case Accepted:
        return QString();
    case NameTaken:
        return tr("This user name has been occupied.");
    case PasswordMismatch:
        return tr("The Password do not match.");
    case NameEmpty:
        return tr("Name can not be empty.");
    case PasswordTooShort:
        return tr("Password must contain at least 4 characters.");
    case LookupFailed:
        return tr("The user accounts could not be read. Please try again.");
    case WriteFailed:
        return tr("The user could not be saved. Please try again.");
    }
    return QString();
}

UserRules::CardVerdict UserRules::checkCard(OrvantaDBIntf *db, const QString &card)
{
    // No user has the id 0, so every holder is another user.
    return checkCardOf(db, 0, card);
}

UserRules::CardVerdict UserRules::checkCardOf(OrvantaDBIntf *db, quint32 muid, const QString &card)
{
    QList<VelkMultiUser> holders;
    if (db->queryMultiUserByRfid(holders, card) != DB_OK)
        return CardLookupFailed;
    for (const VelkMultiUser &holder : qAsConst(holders)) {
        if (holder.muid != muid)
            return CardUsed;
    }
    QList<VelkMultiUserAdmin> settings;
    if (db->queryMultiUserAdmin(settings) != DB_OK)
        return CardLookupFailed;
    if (!settings.isEmpty() && !settings.first().adminRfidId.isEmpty() && settings.first().adminRfidId == card)
        return CardUsed;
    return CardFree;
}

QString UserRules::cardUsedMessage()
{
    return tr("This card has been used by another account");
}

QString UserRules::cardLookupMessage()
{
    return tr("The card could not be checked. Please tap it again.");
}
