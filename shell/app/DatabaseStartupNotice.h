#pragma once

#include <QCoreApplication>
#include <QString>

#include "datastore/OrvantaDBManager.h"

class QWidget;

/// What the operator is told at start-up when the database did not open cleanly: a restore cut short
/// and finished or undone, a file set aside and replaced by an empty one, a file or folder that cannot be written, a
/// table that cannot be brought up to date or written to. The console starts all the same; without this notice it would
/// start empty, or fail every later save, without a word. A data folder that cannot be written at all is told the same
/// way, but the console does not start. A full disk is named as such, once, whichever step met it first.
class DatabaseStartupNotice
{
    Q_DECLARE_TR_FUNCTIONS(DatabaseStartupNotice)

public:
    /// The notice's text; empty when the database opened cleanly.
    static QString text(const OrvantaDBManager::StartupReport &report);
    /// Logs the report and shows the text in the shared message dialog until the operator closes
    /// it; does nothing when the database opened cleanly.
    static void showIfNeeded(const OrvantaDBManager::StartupReport &report, QWidget *parent = nullptr);

    /// The text for a data folder in which the console cannot even take its single-instance lock:
    /// the disk that holds it is full, or else the folder cannot be written.
    static QString dataFolderText(const QString &folder);
    /// Whether the disk that holds path (or the nearest folder above it that exists) has no room
    /// left for even a small file.
    static bool diskIsFull(const QString &path);
    /// The text for a lock file path taken by a folder, a dangling link or another non-file.
    static QString lockPathText(const QString &lockFile);
    /// The text for a lock file written by a console on another computer, which may be using the
    /// same data folder.
    static QString lockOtherComputerText(const QString &lockFile, const QString &computer);
    /// Logs detail and shows message, one of the texts above, until the operator closes it.
    static void showStartError(const QString &message, const QString &detail, QWidget *parent = nullptr);

private:
    /// A restore cut short and finished or undone by this start: the operator must learn which data the console runs
    /// on.
    static QString restoreText(const OrvantaDBManager::StartupReport &report);
    static QString databaseText(const OrvantaDBManager::StartupReport &report);
    static void show(const QString &message, QWidget *parent);
};
