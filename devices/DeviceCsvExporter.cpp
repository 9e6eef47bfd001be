#include "devices/DeviceCsvExporter.h"

#include <QFile>
#include <QTextStream>

#include "datastore/DbResult.h"
#include "datastore/OrvantaDBIntf.h"
#include "devices/DeviceCatalog.h"
#include "devices/DeviceCsv.h"
#include "shell/base/Log.h"

QString DeviceCsvExporter::adminSosUser(OrvantaDBIntf *db)
{
    QList<VelkAccount> accounts;
    db->queryAccount(accounts);
    for (const VelkAccount &account : qAsConst(accounts)) {
        if (account.isAdmin && !account.sosUsername.isEmpty())
            return account.sosUsername;
    }
    return QString();
}

QString DeviceCsvExporter::fileText(OrvantaDBIntf *db, bool *ok)
{
    DeviceCatalog catalog;
    const quint32 rc = catalog.load(db);
    if (ok)
        *ok = rc == DB_OK;
    if (rc != DB_OK)
        return QString();
    const QString sosUser = adminSosUser(db);
    QString text = DeviceCsv::headerLine();
    for (const VelkIFPDevice &device : catalog.devices())
        text += DeviceCsv::deviceLine(device, catalog.groupNamesOf(device.deviceName), sosUser);
    return text;
}

int DeviceCsvExporter::writeFile(OrvantaDBIntf *db, const QString &fileName)
{
    bool ok = false;
    const QString text = fileText(db, &ok);
    if (!ok) {
        writeLog(LOG_LEVEL_ERROR, "generateCsvFile read devices fail");
        return CannotRead;
    }
    QFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        writeLog(LOG_LEVEL_ERROR, "generateCsvFile open csv file fail");
        return CannotOpen;
    }
    QTextStream stream(&file);
    stream << text;
    stream.flush();
    if (stream.status() != QTextStream::Ok || !file.flush()) {
        writeLog(LOG_LEVEL_ERROR, "generateCsvFile write csv file fail");
        return CannotOpen;
    }
    return Written;
}
