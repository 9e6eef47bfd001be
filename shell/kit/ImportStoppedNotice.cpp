#include "shell/kit/ImportStoppedNotice.h"

#include <QCoreApplication>

bool ImportStoppedNotice::stopsImport(DbFailure failure)
{
    return failure == DbFailure::DiskFull || failure == DbFailure::ReadOnly || failure == DbFailure::Storage;
}

QString ImportStoppedNotice::text(DbFailure failure)
{
    switch (failure) {
    case DbFailure::DiskFull:
        return QCoreApplication::translate(
            "ImportStoppedNotice", "The import stopped because the disk is full. Nothing of the file was kept.");
    case DbFailure::ReadOnly:
        return QCoreApplication::translate(
            "ImportStoppedNotice",
            "The import stopped because the database file is read-only. Nothing of the file was kept.");
    default:
        return QCoreApplication::translate(
            "ImportStoppedNotice",
            "The import stopped because the database file could not be written. Nothing of the file was kept.");
    }
}
