#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryFile>
#include <QThread>

namespace {
const QByteArray requestLine = "activate\n";
const QByteArray shownLine = "shown\n";
const QByteArray notShownLine = "none\n";
const int retryPause = 100;

QPointer<SingleInstance> holder;
} // namespace

SingleInstance::SingleInstance(const QString &lockFolder, const QString &key, QObject *parent)
    : QObject(parent), m_lockPath(QDir(lockFolder).filePath(key + QStringLiteral(".lock"))), m_lock(m_lockPath)
{
    QDir().mkpath(lockFolder);
    // The lock is only ever stale when its process is gone, never because it is old: a
    // console runs for weeks.
    m_lock.setStaleLockTime(0);
    // One socket per lock file, so users (and test runs) with their own data folder never
    // meet; the hash keeps the name short enough for a socket path.
    const QByteArray where = QFileInfo(m_lockPath).absoluteFilePath().toUtf8();
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(where, QCryptographicHash::Sha1).toHex().left(16));
    m_serverName = key + QLatin1Char('-') + hash;
}

SingleInstance::~SingleInstance()
{
    release();
}

SingleInstance::Outcome SingleInstance::acquire()
{
    if (m_held)
        return Acquired;
    m_lockError.clear();
    m_lockHost.clear();
    m_lockNote.clear();
    QElapsedTimer clock;
    clock.start();
    bool folderChecked = false;
    for (;;) {
        if (m_lock.tryLock(0))
            return holdLock();
        // Only a lock that exists means another console. A lock file that cannot be created (a
        // folder that cannot be written or made) would otherwise be waited for and end the start
        // as if a console without a window held it.
        if (m_lock.error() != QLockFile::LockFailedError) {
            m_lockError = m_lock.error() == QLockFile::PermissionError
                              ? QStringLiteral("no permission to create the lock file %1").arg(m_lockPath)
                              : QStringLiteral("the lock file %1 cannot be created").arg(m_lockPath);
            return Unavailable;
        }
        // A console's lock is a plain file. A folder or a dangling link under its name exists as
        // well, so the lock looks taken, but no console holds it, none answers and none ever
        // frees it: the wait would end as if a console without a window held it.
        if (lockPathIsNoFile()) {
            m_lockError =
                QStringLiteral("the lock file %1 is a folder, a dangling link or another non-file").arg(m_lockPath);
            return LockPathTaken;
        }
        const int left = int(qMax<qint64>(0, m_handOverWait - clock.elapsed()));
        switch (askHolder(qMax(left, retryPause))) {
        case AskResult::Shown:
            return HandedOver;
        case AskResult::NotShown:
            return NoMainWindow;
        case AskResult::NoAnswer:
            break;
        }
        // With no stale time, the lock library judges a lock only by the process it names on this
        // computer. One from another computer is never stale: a console there may use this data
        // folder through a shared home, so it is reported, not waited for or taken.
        const LockOwner owner = readLockOwner();
        if (owner.otherComputer) {
            m_lockHost = owner.host;
            m_lockError = QStringLiteral("the lock file %1 was written by a console on the computer %2, which "
                                         "may be using this data folder")
                              .arg(m_lockPath, owner.host);
            return OtherComputer;
        }
        // A lock left by a console that is gone is replaced by tryLock, which takes writing in
        // the folder; where that cannot be done, the lock would be waited for in vain.
        if (!folderChecked && !canWriteLockFolder()) {
            m_lockError = QStringLiteral("the lock file %1 is left from a console that does not answer, and "
                                         "its folder cannot be written")
                              .arg(m_lockPath);
            return Unavailable;
        }
        folderChecked = true;
        // Nobody answers: the holder is starting up or ending (a restart releases the lock
        // just before the new process starts), so look again until the wait is over.
        if (clock.elapsed() >= m_handOverWait) {
            // A lock that still names no process after the whole wait was left by no console
            // running here (an empty file after a power cut, or garbage): it would block every
            // start for good.
            if (!owner.readable && takeOverUnreadableLock()) {
                m_lockNote = QStringLiteral("the lock file %1 could not be read and no console answered for it; "
                                            "it was taken over")
                                 .arg(m_lockPath);
                return holdLock();
            }
            return NoMainWindow;
        }
        QThread::msleep(retryPause);
    }
}

SingleInstance::Outcome SingleInstance::holdLock()
{
    m_held = true;
    holder = this;
    startServer();
    return Acquired;
}

SingleInstance::LockOwner SingleInstance::readLockOwner() const
{
    LockOwner owner;
    qint64 pid = 0;
    QString application;
    owner.readable = m_lock.getLockInfo(&pid, &owner.host, &application);
    if (!owner.readable)
        return owner;
    // The rule the lock library judges staleness by: the machine id written on the line after the
    // host name decides over the name when both sides have one (a renamed computer is still this one).
    QByteArray hostId;
    QFile file(m_lockPath);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (int line = 0; line < 4 && !file.atEnd(); ++line) {
            const QByteArray text = file.readLine();
            if (line == 3)
                hostId = text.trimmed();
        }
    }
    const QByteArray ownId = QSysInfo::machineUniqueId();
    bool sameComputer = owner.host.isEmpty() || owner.host == QSysInfo::machineHostName();
    if (!hostId.isEmpty() && !ownId.isEmpty())
        sameComputer = hostId == ownId;
    owner.otherComputer = !sameComputer;
    return owner;
}

bool SingleInstance::takeOverUnreadableLock()
{
    // The guard the lock library takes before it removes a stale lock, so that two starts never
    // remove each other's new lock.
    QLockFile guard(m_lockPath + QStringLiteral(".rmlock"));
    if (!guard.tryLock(0))
        return false;
    // Readable by now: a console has just taken the lock.
    if (m_lock.getLockInfo(nullptr, nullptr, nullptr))
        return false;
    // Removing takes the file's own lock first, which a live holder keeps, so a console that
    // has just created the file and not yet written it keeps its lock.
    if (QFileInfo::exists(m_lockPath) && !m_lock.removeStaleLockFile())
        return false;
    return m_lock.tryLock(0);
}

QString SingleInstance::lockFolder() const
{
    return QFileInfo(m_lockPath).absolutePath();
}

bool SingleInstance::canWriteLockFolder() const
{
    // A real attempt: permission bits alone miss read-only mounts and access lists.
    QTemporaryFile probe(QDir(lockFolder()).filePath(QStringLiteral("write-probe-XXXXXX")));
    return probe.open();
}

bool SingleInstance::lockPathIsNoFile() const
{
    // A link to a lock file is followed as the lock itself is; one that leads nowhere is not.
    const QFileInfo info(m_lockPath);
    return info.exists() ? !info.isFile() : info.isSymLink();
}

SingleInstance::AskResult SingleInstance::askHolder(int timeout) const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(qMin(timeout, 1000)))
        return AskResult::NoAnswer;
    socket.write(requestLine);
    socket.flush();
    QElapsedTimer clock;
    clock.start();
    while (!socket.canReadLine()) {
        const int left = timeout - int(clock.elapsed());
        if (left <= 0 || !socket.waitForReadyRead(left))
            return AskResult::NoAnswer;
    }
    return socket.readLine() == shownLine ? AskResult::Shown : AskResult::NotShown;
}

void SingleInstance::startServer()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file left by a killed holder would make listen() fail; we own the lock, so any
    // file under our name is such a leftover.
    QLocalServer::removeServer(m_serverName);
    if (!m_server->listen(m_serverName)) {
        m_serverError = m_server->errorString();
        delete m_server;
        m_server = nullptr;
        return;
    }
    connect(m_server, &QLocalServer::newConnection, this, [this]() {
        while (QLocalSocket *socket = m_server ? m_server->nextPendingConnection() : nullptr) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket]() { answer(socket); });
            if (socket->canReadLine())
                answer(socket);
        }
    });
}

void SingleInstance::answer(QLocalSocket *socket)
{
    if (!socket->canReadLine())
        return;
    const QByteArray line = socket->readLine();
    if (line != requestLine) {
        socket->disconnectFromServer();
        return;
    }
    const bool shown = m_handler && m_handler();
    socket->write(shown ? shownLine : notShownLine);
    socket->flush();
    socket->disconnectFromServer();
}

void SingleInstance::release()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_held) {
        m_lock.unlock();
        m_held = false;
    }
    if (holder == this)
        holder = nullptr;
}

int SingleInstance::exitCodeFor(Outcome outcome)
{
    switch (outcome) {
    case HandedOver:
        // The start did what was asked of it: the running console is in front.
        return 0;
    case NoMainWindow:
        return -1;
    case Unavailable:
    case LockPathTaken:
    case OtherComputer:
        return 2;
    case Acquired:
        break;
    }
    return 0;
}

SingleInstance *SingleInstance::current()
{
    return holder.data();
}

bool SingleInstance::restartApplication(const QString &program, const QStringList &arguments)
{
    if (SingleInstance *instance = current())
        instance->release();
    QCoreApplication::quit();
    const QString path = program.isEmpty() ? QCoreApplication::applicationFilePath() : program;
    return QProcess::startDetached(path, arguments);
}
