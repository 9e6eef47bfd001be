#pragma once

#include <QString>

class QSqlError;

/// What the data store does with files that are not fit to open as they are: a database file
/// that is not a database or is corrupt is set aside (never deleted), and the data folder of
/// the console's former name moves once into the current one.
class DatabaseRecovery
{
public:
    /// True when SQLite's error means the file itself is unusable as a database (corrupt, or not
    /// a database at all), as opposed to busy, read-only or unreadable.
    static bool meansBrokenFile(const QSqlError &error);

    /// Renames path to "<path>.broken-<yyyyMMdd-hhmmss>" (a serial appended when taken) and its
    /// journal files with it, so that nothing of them is lost and none is played into the new
    /// file. keptAs becomes the new name once the database file itself was renamed. True when
    /// everything moved (error is then cleared); false when path does not exist (error untouched)
    /// or a rename failed (error says which).
    static bool setBrokenFileAside(const QString &path, QString &keptAs, QString &error);

    /// Moves the data of the former folder name ("<parent>/Orvanta") into dataFolder once:
    /// copied, then removed when every copy succeeded, else kept.
    static void migrateFormerFolder(const QString &dataFolder);

    /// Copies source (a file or a folder tree) to target; a file named "OrvantaDatabase.db"
    /// takes the name "QuorvinDatabase.db". Existing files are not overwritten (that copy fails).
    /// Returns true when everything was copied.
    static bool migrateDatabaseFolder(const QString &source, const QString &target);
};
