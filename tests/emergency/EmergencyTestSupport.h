#pragma once

// Shared set-up of the emergency tests: the real data store and command server on a temporary
// HOME, simulated panels on loopback, a stand-in camera-management database, and an unmuter
// that only counts.

#include "datastore/Base64Text.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "datastore/VelkAccount.h"
#include "network/NetTestSupport.h"
#include "platform/audio/AudioSystemHandler.h"
#include "support/TryCeiling.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>

class CountingUnmuter : public AudioSystemHandler
{
public:
    using AudioSystemHandler::AudioSystemHandler;
    void unmute() override { ++calls; }
    int calls = 0;
};

// The camera-management program keeps its database beside the console's data folder; the data
// store opens it read-only when it starts, so this runs before the first OrvantaDBManager call.
// Accounts: "guard"/"s3cret" sees every camera; "lab"/"lab pass" sees group 1 and camera 5.
inline bool createCameraDatabase()
{
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    const QString folder = QFileInfo(dataFolder).absolutePath() + QStringLiteral("/Pellmar/dbManagement/");
    if (!QDir().mkpath(folder))
        return false;
    bool ok = true;
    {
        QSqlDatabase seed = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("pellmar-seed"));
        seed.setDatabaseName(folder + QStringLiteral("PellmarDB.db"));
        ok = seed.open();
        QSqlQuery q(seed);
        const QStringList statements = {
            "CREATE TABLE Account (id INTEGER PRIMARY KEY, accountName TEXT, password TEXT, c3 TEXT, access INTEGER, "
            "groupIds TEXT, deviceIds TEXT, c7 TEXT, c8 TEXT)",
            QStringLiteral("INSERT INTO Account VALUES (1, 'guard', '%1', '', 0, '', '', '', '')")
                .arg(Base64Text::encode(QStringLiteral("s3cret"))),
            QStringLiteral("INSERT INTO Account VALUES (2, 'lab', '%1', '', 1, '2,1', '5,3', '', '')")
                .arg(Base64Text::encode(QStringLiteral("lab pass"))),
            "CREATE TABLE Device (id INTEGER PRIMARY KEY, name TEXT, ip TEXT, mac TEXT, port TEXT, c5 TEXT, c6 TEXT, "
            "c7 TEXT, c8 TEXT, c9 TEXT, c10 TEXT, c11 TEXT, c12 TEXT)",
            "INSERT INTO Device VALUES (1, 'Hall cam', '10.0.0.1', 'aa:00:00:00:00:01', '80', '', '', '', '', '', '', "
            "'', '')",
            "INSERT INTO Device VALUES (2, 'Gym cam', '10.0.0.2', 'aa:00:00:00:00:02', '80', '', '', '', '', '', '', "
            "'', "
            "'')",
            "INSERT INTO Device VALUES (3, 'Lab cam', '10.0.0.3', 'aa:00:00:00:00:03', '80', '', '', '', '', '', '', "
            "'', "
            "'')",
            "INSERT INTO Device VALUES (4, 'No MAC cam', '10.0.0.4', '', '80', '', '', '', '', '', '', '', '')",
            "INSERT INTO Device VALUES (5, 'Lab cam', '10.0.0.5', 'aa:00:00:00:00:05', '80', '', '', '', '', '', '', "
            "'', "
            "'')",
            "CREATE TABLE deviceGroup (gid INTEGER PRIMARY KEY, name TEXT, ids TEXT, n INTEGER)",
            "INSERT INTO deviceGroup VALUES (1, 'West', '2,4', 2)",
            "INSERT INTO deviceGroup VALUES (2, 'East', '1', 1)",
        };
        for (const QString &statement : statements)
            ok = ok && q.exec(statement);
        seed.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("pellmar-seed"));
    return ok;
}

// Stores camera-management credentials in every administrator account, as the link settings do.
inline void storeSosCredentials(const QString &user, const QString &password)
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QList<VelkAccount> accounts;
    db->queryAccount(accounts);
    for (VelkAccount account : qAsConst(accounts)) {
        if (!account.isAdmin)
            continue;
        account.sosUsername = user;
        account.sosPassword = password.isEmpty() ? QString() : Base64Text::encode(password);
        db->updateAccount(account);
    }
}

// A managed device for the panel of that serial (its MAC as the panel reports it, or as typed in
// `storedMac`), and the simulated panel connected to the command server; `owned` keeps it.
inline SimulatedPanel *connectSimulatedPanel(QList<SimulatedPanel *> &owned, int serial, const QString &name,
                                             const QString &storedMac = QString())
{
    addManagedDevice(name, storedMac.isEmpty() ? testMac(serial) : storedMac,
                     QStringLiteral("127.0.0.%1").arg(2 + serial));
    auto *panel = new SimulatedPanel(SimulatedPanel::defaultIdentity(quint32(serial)), directSettings(serial));
    owned.append(panel);
    panel->start();
    if (!QTest::qWaitFor([panel]() { return panel->isConnected(); }, QuorvinTryCeilingMs))
        qWarning("panel %s did not connect", qPrintable(name));
    return panel;
}

// A stand-in camera-management program in the folder: it writes its arguments, one per line,
// beside itself. Returns its path, empty when it could not be written.
inline QString installStandInCameraProgram(const QString &folder)
{
    QDir().mkpath(folder);
    const QString program = folder + QStringLiteral("/Pellmar.exe");
    QFile script(program);
    if (!script.open(QIODevice::WriteOnly))
        return QString();
    script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.part\"\nmv \"$0.part\" \"$0.args\"\n");
    script.close();
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return program;
}

// What the stand-in was last started with; empty until it ran.
inline QStringList standInArguments(const QString &program)
{
    QFile args(program + QStringLiteral(".args"));
    if (!args.open(QIODevice::ReadOnly))
        return QStringList();
    return QString::fromUtf8(args.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

inline QList<VelkEventLog> eventLog()
{
    QList<VelkEventLog> events;
    OrvantaDBManager::getInstance()->queryEventLog(events);
    return events;
}

inline void removeManagedDevice(const QString &name)
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    VelkIFPDevice device = storedDevice(name);
    if (device.did != 0)
        db->deleteIFPDevice(device);
}
