#include "datastore/DatabaseSchema.h"

#include <QSqlError>
#include <QSqlQuery>

#include "datastore/DatabaseRecovery.h"
#include "datastore/DatabaseSeeding.h"
#include "shell/base/Log.h"

namespace {

struct TableDef
{
    const char *name;
    const char *create;
};

// The 28 tables in creation order.
const TableDef kTables[] = {
    {"Account",
     "CREATE TABLE Account ( aid INTEGER PRIMARY KEY AUTOINCREMENT,password TEXT DEFAULT 'kelvo',email TEXT ,"
     "isAdmin INTEGER,language TEXT,sosUsername TEXT,sosPassword TEXT)"},
    {"Device",
     "CREATE TABLE Device ( did INTEGER PRIMARY KEY AUTOINCREMENT,deviceName TEXT UNIQUE,modelName TEXT,"
     "macAddress TEXT UNIQUE,ipAddress TEXT, fwVersion TEXT,lastPassword TEXT, subnetMask TEXT, gateway TEXT, "
     "panelFwVersion TEXT, displayClientVersion TEXT, sku TEXT, isKicked INTEGER, deviceType TEXT, position TEXT, "
     "ptzCamera TEXT, learnedMac TEXT )"},
    {"Groups", "CREATE TABLE Groups ( gid INTEGER PRIMARY KEY AUTOINCREMENT,groupName TEXT UNIQUE,groupType TEXT)"},
    {"DeviceGroups",
     "CREATE TABLE DeviceGroups (dgid INTEGER PRIMARY KEY AUTOINCREMENT,did INTEGER REFERENCES Device (did),"
     "gid INTEGER REFERENCES Groups (gid))"},
    {"Schedule",
     "CREATE TABLE Schedule ( sid INTEGER PRIMARY KEY AUTOINCREMENT,onTime TEXT,offTime TEXT,rebootTime TEXT,"
     "isEnable INTEGER,isMon INTEGER,isTue INTEGER,isWed INTEGER,isThu INTEGER,isFri INTEGER,isSat INTEGER,"
     "isSun INTEGER, scheduleObject INTEGER, isPowerOn INTEGER, isPowerOff INTEGER, isReboot INTEGER )"},
    {"GroupsSchedule",
     "CREATE TABLE GroupsSchedule (gsid INTEGER PRIMARY KEY AUTOINCREMENT,gid INTEGER REFERENCES Groups (gid),"
     "sid INTEGER REFERENCES Schedule (sid))"},
    {"DeviceSchedule",
     "CREATE TABLE DeviceSchedule (dsid INTEGER PRIMARY KEY AUTOINCREMENT,did INTEGER REFERENCES Device (did),"
     "sid INTEGER REFERENCES Schedule (sid))"},
    {"OtaReminder", "CREATE TABLE OtaReminder ( orid INTEGER PRIMARY KEY AUTOINCREMENT,deviceModelName TEXT,"
                    "deviceNewestFwVersion TEXT,deviceNewestPanelFwVersion TEXT,isFwVersionSkipped INTEGER,"
                    "isPanelFwVersionSkipped INTEGER )"},
    {"OtaSchedule",
     "CREATE TABLE OtaSchedule ( osid INTEGER PRIMARY KEY AUTOINCREMENT,scheduleTarget INTEGER,date TEXT,"
     "time TEXT,status INTEGER,isEnable INTEGER )"},
    {"DeviceOtaSchedule",
     "CREATE TABLE DeviceOtaSchedule (dosid INTEGER PRIMARY KEY AUTOINCREMENT,did INTEGER REFERENCES Device (did),"
     "osid INTEGER REFERENCES OtaSchedule (osid))"},
    {"GroupsOtaSchedule",
     "CREATE TABLE GroupsOtaSchedule (gosid INTEGER PRIMARY KEY AUTOINCREMENT,gid INTEGER REFERENCES Groups (gid),"
     "osid INTEGER REFERENCES OtaSchedule (osid))"},
    {"OtaScheduleReport",
     "CREATE TABLE OtaScheduleReport (osrid INTEGER PRIMARY KEY AUTOINCREMENT,did INTEGER REFERENCES Device (did),"
     "osid INTEGER REFERENCES OtaSchedule (osid),status INTEGER, fwVersion TEXT, watchUntil TEXT )"},
    {"AutoTestSchedule",
     "CREATE TABLE AutoTestSchedule ( tsid INTEGER PRIMARY KEY AUTOINCREMENT,scheduleTarget INTEGER,time TEXT,"
     "status INTEGER,isEnable INTEGER,isMon INTEGER,isTue INTEGER,isWed INTEGER,isThu INTEGER,isFri INTEGER,"
     "isSat INTEGER,isSun INTEGER )"},
    {"DeviceAutoTestSchedule", "CREATE TABLE DeviceAutoTestSchedule (dtsid INTEGER PRIMARY KEY AUTOINCREMENT,"
                               "did INTEGER REFERENCES Device (did),tsid INTEGER REFERENCES AutoTestSchedule (tsid))"},
    {"GroupsAutoTestSchedule", "CREATE TABLE GroupsAutoTestSchedule (gtsid INTEGER PRIMARY KEY AUTOINCREMENT,"
                               "gid INTEGER REFERENCES Groups (gid),tsid INTEGER REFERENCES AutoTestSchedule (tsid))"},
    {"AutoTestScheduleReport",
     "CREATE TABLE AutoTestScheduleReport (tsrid INTEGER PRIMARY KEY AUTOINCREMENT,"
     "did INTEGER REFERENCES Device (did),tsid INTEGER REFERENCES AutoTestSchedule (tsid),status INTEGER, "
     "notes INTEGER )"},
    {"Broadcast",
     "CREATE TABLE Broadcast ( bid INTEGER PRIMARY KEY AUTOINCREMENT,status INTEGER,displayType INTEGER,"
     "contentText TEXT,audioSelection INTEGER,displayedAudioFilename TEXT,savedAudioFilename TEXT,"
     "wakeOnLan INTEGER,repeat INTEGER,durationMin INTEGER,durationSec INTEGER,target INTEGER,isNow INTEGER,"
     "startDate TEXT,time TEXT,repeatSun INTEGER,repeatMon INTEGER,repeatTue INTEGER,repeatWed INTEGER,"
     "repeatThu INTEGER,repeatFri INTEGER,repeatSat INTEGER )"},
    {"DeviceBroadcast",
     "CREATE TABLE DeviceBroadcast (dbid INTEGER PRIMARY KEY AUTOINCREMENT,did INTEGER REFERENCES Device (did),"
     "bid INTEGER REFERENCES Broadcast (bid))"},
    {"GroupsBroadcast",
     "CREATE TABLE GroupsBroadcast (gbid INTEGER PRIMARY KEY AUTOINCREMENT,gid INTEGER REFERENCES Groups (gid),"
     "bid INTEGER REFERENCES Broadcast (bid))"},
    {"BroadcastReport",
     "CREATE TABLE BroadcastReport (brid INTEGER PRIMARY KEY AUTOINCREMENT,did INTEGER REFERENCES Device (did),"
     "bid INTEGER REFERENCES Broadcast (bid),status INTEGER,note INTEGER )"},
    {"MultiUser",
     "CREATE TABLE MultiUser ( muid INTEGER PRIMARY KEY AUTOINCREMENT,userName TEXT ,password TEXT ,rfidId TEXT ,"
     "hasPermission INTEGER,uniqueId TEXT)"},
    {"AppInfo", "CREATE TABLE AppInfo ( aiid INTEGER PRIMARY KEY AUTOINCREMENT,appName TEXT ,packageName TEXT)"},
    {"AppPermission",
     "CREATE TABLE AppPermission ( apid INTEGER PRIMARY KEY AUTOINCREMENT,multiUserId INTEGER ,appId INTEGER ,"
     "FOREIGN KEY(multiUserId) REFERENCES MultiUser(muid) ,FOREIGN KEY(appId) REFERENCES AppInfo(aiid))"},
    {"UserDevice",
     "CREATE TABLE UserDevice ( udid INTEGER PRIMARY KEY AUTOINCREMENT,multiUserId INTEGER ,deviceId INTEGER ,"
     "syncStatus INTEGER ,lastSyncTime TEXT ,FOREIGN KEY(multiUserId) REFERENCES MultiUser(muid) ,"
     "FOREIGN KEY(deviceId) REFERENCES Device(did))"},
    {"MultiUserAdmin",
     "CREATE TABLE MultiUserAdmin ( maid INTEGER PRIMARY KEY AUTOINCREMENT,enableSetupServer INTEGER ,"
     "enableMultiUser INTEGER ,createAccountPassword TEXT ,enableGuestUser INTEGER ,adminPassword TEXT ,"
     "adminRfidId TEXT)"},
    {"DatabaseIdentifier", "CREATE TABLE DatabaseIdentifier ( diid INTEGER PRIMARY KEY AUTOINCREMENT,uniqueId TEXT)"},
    {"DeviceCameraMap", "CREATE TABLE DeviceCameraMap ( aid INTEGER PRIMARY KEY AUTOINCREMENT,did INTEGER,account TEXT,"
                        "deviceName TEXT,mac TEXT)"},
    {"EventLog",
     "CREATE TABLE EventLog ( did INTEGER PRIMARY KEY AUTOINCREMENT,deviceName TEXT,event INTEGER,time TEXT)"},
};

struct ProbeDef
{
    const char *table;
    const char *column;
    const char *alter;
};

// Columns that older databases lack, in the order they are added.
const ProbeDef kProbes[] = {
    {"Account", "isAdmin", "ALTER TABLE Account ADD COLUMN isAdmin INTEGER"},
    {"Account", "language", "ALTER TABLE Account ADD COLUMN language TEXT"},
    {"Account", "sosUsername", "ALTER TABLE Account ADD COLUMN sosUsername TEXT"},
    {"Account", "sosPassword", "ALTER TABLE Account ADD COLUMN sosPassword TEXT"},
    {"Device", "panelFwVersion", "ALTER TABLE Device ADD COLUMN panelFwVersion TEXT"},
    {"Device", "displayClientVersion", "ALTER TABLE Device ADD COLUMN displayClientVersion TEXT"},
    {"Device", "sku", "ALTER TABLE Device ADD COLUMN sku TEXT"},
    {"Device", "isKicked", "ALTER TABLE Device ADD COLUMN isKicked INTEGER"},
    {"Device", "deviceType", "ALTER TABLE Device ADD COLUMN deviceType TEXT DEFAULT 'Control Box'"},
    {"Device", "position", "ALTER TABLE Device ADD COLUMN position TEXT"},
    {"Device", "ptzCamera", "ALTER TABLE Device ADD COLUMN ptzCamera TEXT"},
    {"Device", "learnedMac", "ALTER TABLE Device ADD COLUMN learnedMac TEXT"},
    {"Groups", "groupType", "ALTER TABLE Groups ADD COLUMN groupType TEXT DEFAULT 'Control Box'"},
    {"OtaScheduleReport", "fwVersion", "ALTER TABLE OtaScheduleReport ADD COLUMN fwVersion TEXT"},
    {"OtaScheduleReport", "watchUntil", "ALTER TABLE OtaScheduleReport ADD COLUMN watchUntil TEXT"},
    {"DeviceCameraMap", "did", "ALTER TABLE DeviceCameraMap ADD COLUMN did TEXT"},
    {"DeviceCameraMap", "account", "ALTER TABLE DeviceCameraMap ADD COLUMN account TEXT"},
    {"DeviceCameraMap", "deviceName", "ALTER TABLE DeviceCameraMap ADD COLUMN deviceName TEXT"},
    {"DeviceCameraMap", "mac", "ALTER TABLE DeviceCameraMap ADD COLUMN mac TEXT"},
    {"EventLog", "did", "ALTER TABLE EventLog ADD COLUMN did TEXT"},
    {"EventLog", "deviceName", "ALTER TABLE EventLog ADD COLUMN deviceName TEXT"},
    {"EventLog", "event", "ALTER TABLE EventLog ADD COLUMN event INTEGER"},
    {"EventLog", "time", "ALTER TABLE EventLog ADD COLUMN time TEXT"},
};

struct IndexDef
{
    const char *table;
    const char *create;
};

// Lookup indexes, created on new and existing databases at every start. Names, MAC addresses
// and group names are matched without regard to letter case, which the UNIQUE constraints'
// own (case-sensitive) indexes cannot serve: without these every such lookup reads the whole
// table. They are not UNIQUE, so a database holding names that differ only in case still opens.
const IndexDef kIndexes[] = {
    {"Device", "CREATE INDEX IF NOT EXISTS DeviceNameNoCase ON Device (deviceName COLLATE NOCASE)"},
    {"Device", "CREATE INDEX IF NOT EXISTS DeviceMacNoCase ON Device (macAddress COLLATE NOCASE)"},
    {"Groups", "CREATE INDEX IF NOT EXISTS GroupsNameNoCase ON Groups (groupName COLLATE NOCASE)"},
    {"DeviceGroups", "CREATE INDEX IF NOT EXISTS DeviceGroupsMember ON DeviceGroups (did, gid)"},
    // A schedule's devices are read by schedule and through its groups' members, for every
    // schedule whenever a day's task list is built.
    {"DeviceGroups", "CREATE INDEX IF NOT EXISTS DeviceGroupsByGroup ON DeviceGroups (gid)"},
    {"DeviceSchedule", "CREATE INDEX IF NOT EXISTS DeviceScheduleBySchedule ON DeviceSchedule (sid)"},
    {"GroupsSchedule", "CREATE INDEX IF NOT EXISTS GroupsScheduleBySchedule ON GroupsSchedule (sid)"},
    // An account synchronisation reads the users of each panel and writes each user's row of it;
    // without these every such step reads every assignment of every user.
    {"UserDevice", "CREATE INDEX IF NOT EXISTS UserDeviceByDevice ON UserDevice (deviceId, multiUserId)"},
    {"UserDevice", "CREATE INDEX IF NOT EXISTS UserDeviceByUser ON UserDevice (multiUserId, deviceId)"},
    {"AppPermission", "CREATE INDEX IF NOT EXISTS AppPermissionByUser ON AppPermission (multiUserId, appId)"},
    {"MultiUser", "CREATE INDEX IF NOT EXISTS MultiUserName ON MultiUser (userName)"},
    // A broadcast's report rows are found by its bid, and each result by bid and device: without this every result
    // of a run read every report row of every broadcast the console had sent.
    {"BroadcastReport", "CREATE INDEX IF NOT EXISTS BroadcastReportByBroadcast ON BroadcastReport (bid, did)"},
};

const TableDef *findTable(const QString &name)
{
    for (const TableDef &def : kTables) {
        if (name == QLatin1String(def.name))
            return &def;
    }
    return nullptr;
}

// A table of this version's schema, by a name the code itself gives.
const TableDef &tableDef(const char *name)
{
    const TableDef *def = findTable(QLatin1String(name));
    Q_ASSERT(def);
    return def ? *def : kTables[0];
}

bool containsNoCase(const QStringList &names, const QString &name)
{
    return names.contains(name, Qt::CaseInsensitive);
}

// The definitions between the parentheses of a CREATE statement of this version, split at their commas.
QStringList definitionsOf(const char *createSql)
{
    const QString sql = QLatin1String(createSql);
    const int open = sql.indexOf(QLatin1Char('('));
    const int close = sql.lastIndexOf(QLatin1Char(')'));
    QStringList definitions;
    QString current;
    int depth = 0;
    for (const QChar c : sql.mid(open + 1, close - open - 1)) {
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        if (c == QLatin1Char(',') && depth == 0) {
            definitions << current;
            current.clear();
        } else {
            current += c;
        }
    }
    definitions << current;
    return definitions;
}

// The column a definition declares; empty for a table constraint.
QString columnOf(const QString &definition)
{
    static const QStringList constraints{QStringLiteral("FOREIGN"), QStringLiteral("PRIMARY"), QStringLiteral("UNIQUE"),
                                         QStringLiteral("CHECK"), QStringLiteral("CONSTRAINT")};
    const QString name = definition.trimmed().section(QLatin1Char(' '), 0, 0);
    return constraints.contains(name, Qt::CaseInsensitive) ? QString() : name;
}

// The column names a CREATE statement of this version declares, table constraints left out.
QStringList declaredColumns(const char *createSql)
{
    QStringList columns;
    for (const QString &definition : definitionsOf(createSql)) {
        const QString name = columnOf(definition);
        if (!name.isEmpty())
            columns << name;
    }
    return columns;
}

// One table step: its statements run in one transaction, so a step that fails halfway leaves
// the file as it was and is tried again at the next start.

using Seeder = void (*)(DatabaseSchema::Step &step, const QStringList &addedColumns);

struct StepDef
{
    const char *name;
    const char *tables[4];
    Seeder seed;
};

// The table steps in order; a step's tables are made in the order listed, then its rows seeded.
const StepDef kSteps[] = {
    {"initAccountTable", {"Account"}, &DatabaseSeeding::accounts},
    {"initDeviceTable", {"Device"}, nullptr},
    {"initGroupsTable", {"Groups", "DeviceGroups"}, nullptr},
    {"initScheduleTable", {"Schedule", "GroupsSchedule", "DeviceSchedule"}, nullptr},
    {"initOtaReminderTable", {"OtaReminder"}, nullptr},
    {"initOtaScheduleTable", {"OtaSchedule", "DeviceOtaSchedule", "GroupsOtaSchedule", "OtaScheduleReport"}, nullptr},
    {"initAutoTestScheduleTable",
     {"AutoTestSchedule", "DeviceAutoTestSchedule", "GroupsAutoTestSchedule", "AutoTestScheduleReport"},
     nullptr},
    {"initBroadcastTable", {"Broadcast", "DeviceBroadcast", "GroupsBroadcast", "BroadcastReport"}, nullptr},
    {"initMultiUserTable", {"MultiUser"}, nullptr},
    {"initAppInfoTable", {"AppInfo"}, &DatabaseSeeding::apps},
    {"initAppPermissionTable", {"AppPermission"}, nullptr},
    {"initUserDeviceTable", {"UserDevice"}, nullptr},
    {"initMultiUserAdminTable", {"MultiUserAdmin"}, &DatabaseSeeding::multiUserAdmin},
    {"initDatabaseIdentifierTable", {"DatabaseIdentifier"}, &DatabaseSeeding::databaseIdentifier},
    {"initDeviceCameraMapTable", {"DeviceCameraMap"}, nullptr},
    {"initEventLogTable", {"EventLog"}, nullptr},
};

DatabaseSchema::StepResult runStep(QSqlDatabase db, const StepDef &def, QString &errors)
{
    DatabaseSchema::Step step(db, def.name, errors);
    QStringList added;
    for (const char *table : def.tables) {
        if (table && !step.ensure(table, &added))
            return step.finish();
    }
    if (def.seed)
        def.seed(step, added);
    return step.finish();
}

DatabaseSchema::StepResult createLookupIndexes(QSqlDatabase db, QString &errors)
{
    DatabaseSchema::Step step(db, "initLookupIndexes", errors);
    for (const IndexDef &def : kIndexes) {
        if (!step.ensureIndex(def.table, def.create))
            break;
    }
    return step.finish();
}

// A database of another version may have columns this one does not know. One that every new row
// must fill makes each insert into its table fail, long after start-up; it is reported now.
DatabaseSchema::StepResult checkFillableTables(QSqlDatabase db, QString &errors)
{
    DatabaseSchema::Step step(db, "checkFillableTables", errors);
    for (const TableDef &def : kTables)
        step.checkFillable(def.name);
    return step.finish();
}

} // namespace

QStringList DatabaseSchema::tableNames()
{
    QStringList names;
    for (const TableDef &def : kTables)
        names << QLatin1String(def.name);
    return names;
}

QString DatabaseSchema::createStatement(const QString &table, const QStringList &leftOut)
{
    const TableDef *def = findTable(table);
    if (!def)
        return QString();
    if (leftOut.isEmpty())
        return QLatin1String(def->create);
    QStringList kept;
    for (const QString &definition : definitionsOf(def->create)) {
        if (!leftOut.contains(columnOf(definition), Qt::CaseInsensitive))
            kept << definition;
    }
    const QString sql = QLatin1String(def->create);
    return sql.left(sql.indexOf(QLatin1Char('(')) + 1) + kept.join(QLatin1Char(',')) + QLatin1Char(')');
}

QStringList DatabaseSchema::columns(const QString &table)
{
    const TableDef *def = findTable(table);
    return def ? declaredColumns(def->create) : QStringList();
}

QStringList DatabaseSchema::addedColumns(const QString &table)
{
    QStringList added;
    for (const ProbeDef &probe : kProbes) {
        if (table == QLatin1String(probe.table))
            added << QLatin1String(probe.column);
    }
    return added;
}

DatabaseSchema::StepResult DatabaseSchema::update(const std::function<QSqlDatabase()> &connection, QString &errors)
{
    StepResult overall = StepOk;
    auto record = [&overall](StepResult result) {
        if (result != StepOk)
            overall = result;
        return result != StepBroken && result != StepDiskFull;
    };
    for (const StepDef &def : kSteps) {
        if (!record(runStep(connection(), def, errors)))
            return overall;
    }
    if (record(createLookupIndexes(connection(), errors)))
        record(checkFillableTables(connection(), errors));
    return overall;
}

DatabaseSchema::Step::Step(QSqlDatabase db, const char *name, QString &errors)
    : m_db(db), m_name(name), m_errors(errors), m_tx(db, name, SqlTransaction::ReadsFirst)
{
    // Most steps find their tables as they should be and write nothing: begun as a reader, a step costs no wait while
    // another program holds the database at start-up.
    if (!m_tx.isActive()) {
        m_failed = true;
        note(QStringLiteral("could not begin a transaction"));
        return;
    }
    m_existing = m_db.tables(QSql::Tables);
}

bool DatabaseSchema::Step::ensure(const char *table, QStringList *addedColumns)
{
    if (m_failed)
        return false;
    const TableDef &def = tableDef(table);
    if (!containsNoCase(m_existing, QLatin1String(table))) {
        // A view or an index of that name is no table this version can keep rows in; creating the table would
        // only fail in SQL's words.
        QSqlQuery other(m_db);
        if (!other.prepare(QStringLiteral("SELECT type FROM sqlite_master WHERE name = ? COLLATE NOCASE AND type IN "
                                          "('view', 'index')")))
            return fail(QStringLiteral("reading the schema of %1").arg(QLatin1String(table)), other.lastError());
        other.addBindValue(QLatin1String(table));
        if (!other.exec())
            return fail(QStringLiteral("reading the schema of %1").arg(QLatin1String(table)), other.lastError());
        if (other.next()) {
            const bool index = other.value(0).toString() == QLatin1String("index");
            return failShape(
                QStringLiteral("%1 is %2, not a table")
                    .arg(QLatin1String(table), index ? QStringLiteral("an index") : QStringLiteral("a view")));
        }
        QSqlQuery create(m_db);
        if (!create.exec(QLatin1String(def.create)))
            return fail(QStringLiteral("creating table %1").arg(QLatin1String(table)), create.lastError());
        m_created << QLatin1String(table);
        return true;
    }
    for (const ProbeDef &probe : kProbes) {
        if (qstrcmp(probe.table, table) != 0)
            continue;
        {
            QSqlQuery select(m_db);
            if (select.exec(
                    QStringLiteral("SELECT %1 FROM %2").arg(QLatin1String(probe.column), QLatin1String(probe.table))))
                continue;
        }
        QSqlQuery alter(m_db);
        if (!alter.exec(QLatin1String(probe.alter)))
            return fail(QStringLiteral("adding column %1.%2").arg(QLatin1String(table), QLatin1String(probe.column)),
                        alter.lastError());
        writeLog(LOG_LEVEL_INFO, "DatabaseManager: added column %s.%s", table, probe.column);
        if (addedColumns)
            *addedColumns << QLatin1String(probe.column);
    }
    // A table of another program under the same name: every statement on it would fail, one by one, long after
    // start-up, or read nothing without a word.
    QStringList lacking;
    if (!missingColumns(table, lacking))
        return false;
    if (!lacking.isEmpty())
        return failShape(QStringLiteral("table %1 lacks columns this version needs: %2")
                             .arg(QLatin1String(table), lacking.join(QLatin1String(", "))));
    return true;
}

bool DatabaseSchema::Step::missingColumns(const char *table, QStringList &lacking)
{
    QSqlQuery columns(m_db);
    if (!columns.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?)")))
        return fail(QStringLiteral("reading the columns of %1").arg(QLatin1String(table)), columns.lastError());
    columns.addBindValue(QLatin1String(table));
    if (!columns.exec())
        return fail(QStringLiteral("reading the columns of %1").arg(QLatin1String(table)), columns.lastError());
    QStringList present;
    while (columns.next())
        present << columns.value(0).toString();
    const QStringList needed = declaredColumns(tableDef(table).create);
    for (const QString &column : needed) {
        if (!containsNoCase(present, column))
            lacking << column;
    }
    return true;
}

bool DatabaseSchema::Step::ensureIndex(const char *table, const char *createSql)
{
    if (m_failed)
        return false;
    if (!containsNoCase(m_existing, QLatin1String(table)))
        return true;
    QStringList lacking;
    if (!missingColumns(table, lacking))
        return false;
    if (!lacking.isEmpty())
        return true;
    QSqlQuery create(m_db);
    if (!create.exec(QLatin1String(createSql)))
        return fail(QStringLiteral("creating an index on %1").arg(QLatin1String(table)), create.lastError());
    return true;
}

bool DatabaseSchema::Step::checkFillable(const char *table)
{
    if (!containsNoCase(m_existing, QLatin1String(table)))
        return true;
    const QStringList known = declaredColumns(tableDef(table).create);
    QSqlQuery columns(m_db);
    if (!columns.exec(QStringLiteral("SELECT name, \"notnull\", dflt_value IS NULL, pk FROM pragma_table_info('%1')")
                          .arg(QLatin1String(table))))
        return fail(QStringLiteral("reading the columns of %1").arg(QLatin1String(table)), columns.lastError());
    bool fillable = true;
    while (columns.next()) {
        const QString name = columns.value(0).toString();
        const bool required =
            columns.value(1).toInt() != 0 && columns.value(2).toBool() && columns.value(3).toInt() == 0;
        if (required && !containsNoCase(known, name)) {
            m_failed = true;
            fillable = false;
            note(QStringLiteral("table %1 has the column %2, which this version cannot fill; no row can be added to it")
                     .arg(QLatin1String(table), name));
        }
    }
    return fillable;
}

bool DatabaseSchema::Step::rowCount(const char *table, int &count)
{
    if (m_failed)
        return false;
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table))) || !query.next())
        return fail(QStringLiteral("counting rows of %1").arg(QLatin1String(table)), query.lastError());
    count = query.value(0).toInt();
    return true;
}

bool DatabaseSchema::Step::exec(const QString &sql, const QVariantList &values, const QString &what)
{
    if (m_failed)
        return false;
    QSqlQuery query(m_db);
    if (!sqlExec(query, sql, values, m_name))
        return fail(what, query.lastError());
    return true;
}

bool DatabaseSchema::Step::failCode(const QString &what, quint32 code)
{
    m_failed = true;
    m_diskFull = m_diskFull || lastStatementFailure(m_db) == DbFailure::DiskFull;
    note(QStringLiteral("%1 failed with 0x%2").arg(what).arg(code, 8, 16, QLatin1Char('0')));
    return false;
}

DatabaseSchema::StepResult DatabaseSchema::Step::finish()
{
    if (!m_failed && m_tx.commit())
        return StepOk;
    if (!m_failed) {
        note(QStringLiteral("commit failed"));
        m_diskFull = m_diskFull || lastStatementFailure(m_db) == DbFailure::DiskFull;
    }
    m_tx.rollback();
    if (m_broken)
        return StepBroken;
    return m_diskFull ? StepDiskFull : StepFailed;
}

bool DatabaseSchema::Step::fail(const QString &what, const QSqlError &error)
{
    m_failed = true;
    m_broken = m_broken || DatabaseRecovery::meansBrokenFile(error);
    m_diskFull = m_diskFull || DatabaseRecovery::meansDiskFull(error);
    note(QStringLiteral("%1 failed: %2").arg(what, error.text()));
    return false;
}

bool DatabaseSchema::Step::failShape(const QString &text)
{
    m_failed = true;
    note(text);
    return false;
}

void DatabaseSchema::Step::note(const QString &text)
{
    writeLog(LOG_LEVEL_ERROR, "DatabaseManager::%s: %s", m_name, text.toUtf8().constData());
    // The errors reach the operator's start-up notice: the text names the table and column, the
    // step's own name stays in the log.
    if (!m_errors.isEmpty())
        m_errors += QLatin1String("; ");
    m_errors += text;
}
