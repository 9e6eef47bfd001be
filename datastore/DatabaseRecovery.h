#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QStringList>

/// What the data store does with files that are not fit to open as they are: a database file
/// that is not a database or is corrupt is set aside (never deleted), and the data folder of
/// the console's former name moves once into the current one.
class DatabaseRecovery
{
public:
    /// What reading an open database file found: start-up asks it of the live file, a restore of
    /// the file chosen to replace it, so that no file is swapped in that the next start would set aside.
    struct FileCheck
    {
        enum Result
        {
            Sound,      ///< the schema reads and "PRAGMA quick_check" says "ok"
            Unreadable, ///< a statement failed (error; meansBrokenFile tells whether the file is to blame)
            Damaged     ///< the schema reads, but quick_check found damage (problems)
        };
        Result result = Sound;
        QString what; ///< the step that failed: "reading the schema" or "checking the database"
        QSqlError error;
        QStringList problems;
    };
    /// Reads the schema and runs "PRAGMA quick_check" on db, which must be open. Opening alone
    /// does not read the file.
    static FileCheck checkOpenFile(const QSqlDatabase &db);

    /// True when SQLite's error means the file itself is unusable as a database (corrupt, or not
    /// a database at all), as opposed to busy, read-only or unreadable.
    static bool meansBrokenFile(const QSqlError &error);
    /// True when SQLite's error means the disk (or the size the file may grow to) is full.
    static bool meansDiskFull(const QSqlError &error);

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
