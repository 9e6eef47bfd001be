#pragma once

#include <QString>

class OrvantaDBIntf;

/// Writes every managed device, panels and audio boxes alike, with its groups into the
/// eight-column device CSV file.
class DeviceCsvExporter
{
public:
    enum Result
    {
        Written = 0,
        CannotOpen = -1,
        CannotRead = -2
    };

    /// Reads the database first and only then replaces the file, so a failed read never
    /// leaves a file that looks like an empty device list.
    static int writeFile(OrvantaDBIntf *db, const QString &fileName);
    /// The whole file text for the database's current devices; ok is false when a query failed.
    static QString fileText(OrvantaDBIntf *db, bool *ok);
    /// The SOS user written for audio boxes: the first administrator account's sosUsername.
    static QString adminSosUser(OrvantaDBIntf *db);
};
