// Imports a device CSV file into the database of a given data folder, for the test that kills an
// import half-way. Usage: import_helper <data folder> <csv file>. Prints "importing" once the
// database is open and the file read, then "done" or the error.
#include "datastore/OrvantaDBManager.h"
#include "devices/DeviceCsvImporter.h"
#include "shell/base/CsvReader.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    OrvantaDBManager::setDataFolder(QString::fromLocal8Bit(argv[1]));
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    if (!OrvantaDBManager::startupError().isEmpty())
        return 3;
    const QList<QStringList> rows = readCsvFile(QString::fromLocal8Bit(argv[2]), QString());
    DeviceCsvImporter importer(db);
    std::printf("importing\n");
    std::fflush(stdout);
    const DeviceCsvError error = importer.importRows(rows);
    if (error.isError()) {
        std::printf("row %d: %s\n", error.row, qPrintable(error.message));
        return 1;
    }
    std::printf("done\n");
    return 0;
}
