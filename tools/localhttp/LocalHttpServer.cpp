#include "tools/localhttp/LocalHttpServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace {
// Bytes handed to a socket ahead of what it has written: enough to keep loopback busy, small enough that a
// client that stops reading costs little.
constexpr qint64 MaxInFlight = 1024 * 1024;
constexpr qint64 PieceSize = 256 * 1024;
constexpr int MaxRequestHead = 64 * 1024;

QByteArray reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}
} // namespace

LocalHttpServer::Behaviour LocalHttpServer::Behaviour::withStatus(int status)
{
    Behaviour b;
    b.status = status;
    return b;
}

LocalHttpServer::Behaviour LocalHttpServer::Behaviour::redirect(const QByteArray &location, int status)
{
    Behaviour b;
    b.status = status;
    b.location = location;
    return b;
}

LocalHttpServer::Behaviour LocalHttpServer::Behaviour::wrongLength(qint64 skew)
{
    Behaviour b;
    b.lengthSkew = skew;
    return b;
}

LocalHttpServer::Behaviour LocalHttpServer::Behaviour::stall(qint64 afterBytes)
{
    Behaviour b;
    b.stallAfter = afterBytes;
    return b;
}

LocalHttpServer::Behaviour LocalHttpServer::Behaviour::drip(qint64 bytes, int everyMs)
{
    Behaviour b;
    b.dripBytes = bytes;
    b.dripMs = everyMs;
    return b;
}

LocalHttpServer::LocalHttpServer(quint16 port, const QHostAddress &address, QObject *parent)
    : QObject(parent), m_server(new QTcpServer(this))
{
    m_server->listen(address, port);
    connect(m_server, &QTcpServer::newConnection, this, &LocalHttpServer::onNewConnection);
}

LocalHttpServer::~LocalHttpServer()
{
    for (auto it = m_connections.begin(); it != m_connections.end(); ++it)
        delete it.value().file;
}

bool LocalHttpServer::isListening() const
{
    return m_server->isListening();
}

quint16 LocalHttpServer::port() const
{
    return m_server->serverPort();
}

QString LocalHttpServer::url() const
{
    return QStringLiteral("http://%1:%2").arg(m_server->serverAddress().toString()).arg(port());
}

void LocalHttpServer::serveFolder(const QString &root)
{
    m_root = root;
}

void LocalHttpServer::setBody(const QString &path, const QByteArray &body)
{
    m_files.remove(path);
    m_bodies.insert(path, body);
}

void LocalHttpServer::setFile(const QString &path, const QString &filePath)
{
    m_bodies.remove(path);
    m_files.insert(path, filePath);
}

void LocalHttpServer::setBehaviour(const QString &path, const Behaviour &behaviour)
{
    m_behaviours.insert(path, behaviour);
}

void LocalHttpServer::clearBehaviours()
{
    m_behaviours.clear();
}

void LocalHttpServer::setStatus(int status)
{
    m_status = status;
}

int LocalHttpServer::requestCount(const QString &path) const
{
    int count = 0;
    for (const Request &request : m_requests)
        count += QString::fromUtf8(request.path) == path ? 1 : 0;
    return count;
}

void LocalHttpServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        m_connections.insert(socket, Connection());
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onData(socket); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { pump(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { drop(socket); });
    }
}

void LocalHttpServer::drop(QTcpSocket *socket)
{
    auto it = m_connections.find(socket);
    if (it != m_connections.end()) {
        delete it.value().file;
        m_connections.erase(it);
    }
    socket->deleteLater();
}

QString LocalHttpServer::fileFor(const QString &path) const
{
    if (m_files.contains(path))
        return m_files.value(path);
    if (m_root.isEmpty())
        return QString();
    const QString root = QDir::cleanPath(QFileInfo(m_root).absoluteFilePath());
    const QString target = QDir::cleanPath(root + QLatin1Char('/') + path);
    if (!target.startsWith(root + QLatin1Char('/')) || !QFileInfo(target).isFile())
        return QString();
    return target;
}

void LocalHttpServer::onData(QTcpSocket *socket)
{
    auto it = m_connections.find(socket);
    if (it == m_connections.end())
        return;
    Connection &connection = it.value();
    connection.buffer += socket->readAll();
    if (connection.answered)
        return;
    const int end = connection.buffer.indexOf("\r\n\r\n");
    if (end < 0) {
        if (connection.buffer.size() > MaxRequestHead)
            socket->abort();
        return;
    }
    Request request;
    const QList<QByteArray> lines = connection.buffer.left(end).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.path = first.value(1);
    for (int i = 1; i < lines.size(); ++i) {
        const int colon = lines[i].indexOf(':');
        if (colon > 0)
            request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    const int length = request.headers.value("content-length").toInt();
    if (connection.buffer.size() < end + 4 + length)
        return;
    request.body = connection.buffer.mid(end + 4, length);
    connection.answered = true;
    m_requests.append(request);
    answer(socket, connection, request);
    emit requestServed(QString::fromUtf8(request.path));
}

void LocalHttpServer::answer(QTcpSocket *socket, Connection &connection, const Request &request)
{
    const int query = request.path.indexOf('?');
    const QString path = QUrl::fromPercentEncoding(query < 0 ? request.path : request.path.left(query));
    const bool faulty = m_behaviours.contains(path);
    const Behaviour behaviour = m_behaviours.value(path);
    const QString filePath = fileFor(path);
    int status = behaviour.status;
    if (faulty && status != 200) {
        connection.body = reason(status) + '\n'; // a body of its own, which must never be taken for the file
    } else if (m_bodies.contains(path)) {
        connection.body = m_bodies.value(path);
    } else if (!filePath.isEmpty()) {
        connection.file = new QFile(filePath);
        if (!connection.file->open(QIODevice::ReadOnly))
            status = 500;
    } else if (!faulty) {
        if (m_status == 0)
            return; // held open, never answered
        status = m_status;
        connection.body = "{}";
    }
    connection.bodySize =
        connection.file && connection.file->isOpen() ? connection.file->size() : connection.body.size();
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason(status) + "\r\n";
    if (!behaviour.location.isEmpty())
        head += "Location: " + behaviour.location + "\r\n";
    head += "Content-Length: " + QByteArray::number(connection.bodySize + behaviour.lengthSkew) + "\r\n";
    head += "Connection: close\r\n\r\n";
    socket->write(head);
    connection.stopAt = behaviour.stallAfter;
    connection.dripBytes = behaviour.dripBytes;
    connection.dripMs = behaviour.dripMs;
    pump(socket);
}

void LocalHttpServer::pump(QTcpSocket *socket)
{
    auto it = m_connections.find(socket);
    if (it == m_connections.end() || !it.value().answered)
        return;
    Connection &connection = it.value();
    if (connection.dripWaiting)
        return;
    const bool stalls = connection.stopAt >= 0 && connection.stopAt < connection.bodySize;
    const qint64 end = stalls ? connection.stopAt : connection.bodySize;
    while (connection.offset < end && socket->bytesToWrite() < MaxInFlight) {
        const qint64 n = qMin(connection.dripBytes > 0 ? connection.dripBytes : PieceSize, end - connection.offset);
        const QByteArray piece =
            connection.file ? connection.file->read(n) : connection.body.mid(int(connection.offset), int(n));
        if (piece.isEmpty()) {
            socket->abort();
            return;
        }
        socket->write(piece);
        connection.offset += piece.size();
        m_bytesSent += piece.size();
        if (connection.dripBytes > 0 && connection.offset < end) {
            // The next piece later; the socket (context) ends the wait when the client goes away.
            connection.dripWaiting = true;
            QTimer::singleShot(connection.dripMs, socket, [this, socket] {
                auto waiting = m_connections.find(socket);
                if (waiting == m_connections.end())
                    return;
                waiting.value().dripWaiting = false;
                pump(socket);
            });
            return;
        }
    }
    // disconnectFromHost() sends what is still buffered before it closes.
    if (!stalls && connection.offset >= connection.bodySize)
        socket->disconnectFromHost();
}
