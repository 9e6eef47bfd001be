#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QLocalServer;

/// Keeps a second console from running beside the first.
///
/// The first process holds a lock file and listens on a local socket. A later process that
/// finds the lock taken asks the holder, through the socket, to bring its main window forward;
/// the holder answers whether it had one. A process that dies without releasing the lock
/// (killed, crashed) does not block the next start: the lock is recognised as stale through the
/// holder's process id, and the leftover socket file is replaced. A lock file that cannot be read
/// (a power cut right after it was created leaves it empty) names no process; when no console
/// answers for it during the whole hand-over wait, it is taken over. A lock written on another
/// computer is never taken: a console there may be using the same data folder (a shared home).
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum Outcome
    {
        Acquired,      ///< this process is the one console
        HandedOver,    ///< another console runs and showed its main window
        NoMainWindow,  ///< another console holds the lock but showed no main window (or never answered)
        Unavailable,   ///< the lock cannot be taken for another reason: its folder cannot be written
        LockPathTaken, ///< a folder, a dangling link or another non-file stands where the lock file belongs
        OtherComputer  ///< the lock was written by a console on another computer (lockHost()); nobody answers
    };

    /// `lockFolder` holds the lock file "<key>.lock"; it is created when missing.
    SingleInstance(const QString &lockFolder, const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    /// How long acquire() keeps trying while the lock is taken but its holder does not answer
    /// (a console that is starting, or ending for a restart).
    void setHandOverWait(int milliseconds) { m_handOverWait = milliseconds; }
    int handOverWait() const { return m_handOverWait; }

    /// Called in the holding process when a later start asks for the main window; returns
    /// whether a main window was found and brought forward.
    void setActivationHandler(std::function<bool()> handler) { m_handler = std::move(handler); }

    /// Takes the lock, or hands over to the process that holds it. Blocks (no event loop needed)
    /// for at most about handOverWait() milliseconds.
    Outcome acquire();
    /// Stops answering and gives the lock up; idempotent.
    void release();
    bool isHeld() const { return m_held; }

    /// The process exit code of a start that did not acquire: 0 handed over, -1 no main window,
    /// 2 lock unavailable, its path taken or held on another computer.
    static int exitCodeFor(Outcome outcome);

    QString lockFilePath() const { return m_lockPath; }
    /// The folder that holds the lock file.
    QString lockFolder() const;
    /// Why the lock was Unavailable, its path taken or held on another computer, for the log (empty otherwise).
    QString lockError() const { return m_lockError; }
    /// The computer named by a lock held on another computer (OtherComputer); empty otherwise.
    QString lockHost() const { return m_lockHost; }
    /// What acquire() did with a lock file no console stood behind, for the log once logging runs
    /// (empty when it found none).
    QString lockNote() const { return m_lockNote; }
    QString serverName() const { return m_serverName; }
    /// Why the local socket could not be opened (empty when it listens).
    QString serverError() const { return m_serverError; }

    /// The instance that holds the lock in this process, if any.
    static SingleInstance *current();

    /// Restarts the program: releases this process's lock first so the new process takes it at
    /// once, ends the event loop and starts `program` (default: this executable) detached with
    /// `arguments`. Returns whether the new process could be started.
    static bool restartApplication(const QString &program = QString(), const QStringList &arguments = QStringList());

    static const int defaultHandOverWait = 5000;

private:
    void startServer();
    void answer(class QLocalSocket *socket);
    enum class AskResult
    {
        Shown,
        NotShown,
        NoAnswer
    };
    AskResult askHolder(int timeout) const;
    bool canWriteLockFolder() const;
    bool lockPathIsNoFile() const;
    struct LockOwner
    {
        bool readable = false;
        bool otherComputer = false;
        QString host;
    };
    LockOwner readLockOwner() const;
    bool takeOverUnreadableLock();
    Outcome holdLock();

    QString m_lockPath;
    QString m_serverName;
    QLockFile m_lock;
    QLocalServer *m_server = nullptr;
    std::function<bool()> m_handler;
    QString m_serverError;
    QString m_lockError;
    QString m_lockHost;
    QString m_lockNote;
    int m_handOverWait = defaultHandOverWait;
    bool m_held = false;
};
