#pragma once

#include "datastore/VelkAppInfo.h"
#include "datastore/VelkAppPermission.h"
#include "datastore/VelkMultiUser.h"
#include "datastore/VelkMultiUserAdmin.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One user as the account file carries it.
struct AccountFileRow
{
    QString userName;
    QString password;
    QString rfidId;
    bool hasPermission = false;
    QString uniqueId;
    QStringList packages; // package names of the apps the user may use
};

// The account file exchanged with a panel during account synchronisation, in both directions: UTF-8 CSV with "\n"
// line ends and the header "userName,password,rfidId,hasPermission,uniqueId,packages". A field holding a comma,
// a double quote, CR or LF is quoted with inner quotes doubled, so names like "Smith, Ann" survive the trip.
// Packages are joined with ';'. Pure: no files, no database.
class AccountFile
{
public:
    static const char *const kHeader;

    static QByteArray build(const QList<AccountFileRow> &rows);
    // Rows as the shared CSV reader returns them: the header (first cell "userName"), rows with fewer than four
    // cells and rows with an empty name are skipped.
    static QList<AccountFileRow> fromCsvRows(const QList<QStringList> &rows);
    // One record's cells as a user; false for a record with fewer than four cells or an empty name.
    static bool fromRecord(const QStringList &cells, AccountFileRow *row);

    // The rows for these users (duplicates by muid dropped), each with the packages its permissions name.
    static QList<AccountFileRow> rowsForUsers(const QList<VelkMultiUser> &users,
                                              const QList<VelkAppPermission> &permissions,
                                              const QList<VelkAppInfo> &apps);

    static QString quoteField(const QString &field);

    // The multi-user settings message: the fields a panel's display client understands, by the fourth field of its
    // version ("1.1.1020.21" -> 21): always the switches and the administrator password, from 21 the guest switch
    // and the account-creation password, from 29 the administrator card.
    static QByteArray adminSettingsJson(const VelkMultiUserAdmin &settings, const QString &displayClientVersion);
    // The fourth field as a number; 0 when missing or not a number.
    static int versionBuild(const QString &version);
};
