#include "datastore/DatabaseSeeding.h"

#include <QUuid>

#include "datastore/CoreTables.h"
#include "datastore/DbResult.h"
#include "shell/base/Log.h"

namespace {

struct DefaultApp
{
    const char *name;
    const char *package;
};

const DefaultApp kDefaultApps[] = {
    {"Inkora", "com.steadfastinnovation.android.projectpapyrus.velk"},
    {"Calculator", "com.android.calculator2"},
    {"Calendar", "com.simplemobiletools.calendar"},
    {"Chromium", "org.chromium.chrome"},
    {"ES File Explorer", "com.estrongs.android.pop"},
    {"Grouping & Draw", "com.velk.drawlotsgrouping"},
    {"Music", "com.android.music"},
    {"OfficeSuite", "com.mobisystems.office"},
    {"Screen Share", "com.velk.velkcasting"},
    {"Oculo2", "com.velk.app.velkvision"},
    {"Video", "android.rk.RockVideoPlayer"},
    {"Settings", "com.android.settings"},
};

} // namespace

void DatabaseSeeding::accounts(DatabaseSchema::Step &step, const QStringList &addedColumns)
{
    QSqlDatabase db = step.db();
    auto seedAccount = [&](const char *password, bool isAdmin) {
        VelkAccount account;
        account.password = QLatin1String(password);
        account.isAdmin = isAdmin;
        const quint32 rc = CoreTables::createAccount(db, account);
        if (rc != DB_OK && rc != DB_ACCOUNT_PASSWORD_EXISTS)
            return step.failCode(QStringLiteral("seeding an account"), rc);
        return true;
    };

    int count = 0;
    if (step.created("Account")) {
        seedAccount("kelvo", true) && seedAccount("qeno", false);
    } else if (addedColumns.contains(QLatin1String("isAdmin"))) {
        // Databases from before the normal user: the first account becomes the administrator.
        QList<VelkAccount> accounts;
        const quint32 rc = CoreTables::queryAccount(db, accounts);
        if (rc != DB_OK) {
            step.failCode(QStringLiteral("reading the accounts"), rc);
        } else {
            if (!accounts.isEmpty()) {
                VelkAccount first = accounts.first();
                first.isAdmin = true;
                const quint32 updated = CoreTables::updateAccount(db, first);
                if (updated != DB_OK)
                    writeLog(LOG_LEVEL_ERROR,
                             "DatabaseManager::initAccountTable: marking the first account as administrator "
                             "failed (0x%08x)",
                             updated);
            }
            seedAccount("qeno", false);
        }
    } else if (step.rowCount("Account", count) && count == 0) {
        // Without any account nobody could log in again.
        seedAccount("kelvo", true) && seedAccount("qeno", false);
    }
}

void DatabaseSeeding::apps(DatabaseSchema::Step &step, const QStringList &)
{
    int count = 0;
    if (!step.rowCount("AppInfo", count))
        return;
    const QString insert = QStringLiteral("INSERT INTO AppInfo (appName, packageName) VALUES (?, ?)");
    if (count == 0) {
        for (const DefaultApp &app : kDefaultApps) {
            if (!step.exec(insert, {QString::fromUtf8(app.name), QString::fromUtf8(app.package)},
                           QStringLiteral("seeding the default apps")))
                break;
        }
    } else if (count == 11) {
        // Databases from before the Settings app gain it.
        const DefaultApp &settings = kDefaultApps[11];
        step.exec(insert, {QString::fromUtf8(settings.name), QString::fromUtf8(settings.package)},
                  QStringLiteral("adding the Settings app"));
    }
}

void DatabaseSeeding::multiUserAdmin(DatabaseSchema::Step &step, const QStringList &)
{
    int count = 0;
    if (step.rowCount("MultiUserAdmin", count) && count == 0) {
        step.exec(QStringLiteral("INSERT INTO MultiUserAdmin (enableSetupServer, enableMultiUser, "
                                 "createAccountPassword, enableGuestUser, adminPassword, adminRfidId) "
                                 "VALUES (?, ?, ?, ?, ?, ?)"),
                  {0, 0, QString(), 0, QString(), QString()}, QStringLiteral("seeding the multi-user settings"));
    }
}

void DatabaseSeeding::databaseIdentifier(DatabaseSchema::Step &step, const QStringList &)
{
    int count = 0;
    if (step.rowCount("DatabaseIdentifier", count) && count == 0) {
        step.exec(QStringLiteral("INSERT INTO DatabaseIdentifier (uniqueId) VALUES (?)"),
                  {QUuid::createUuid().toString()}, QStringLiteral("seeding the database identifier"));
    }
}
