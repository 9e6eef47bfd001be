#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

class QFile;
class QTcpServer;
class QTcpSocket;

/// A small HTTP/1.1 server on a loopback address, for tests and the update fixture: it serves a folder and
/// single paths, records every request, and can misbehave on purpose (an error status, a redirect, a body shorter
/// than its Content-Length, a body that stops half way, a body that comes a few bytes at a time). Every answer closes
/// its connection.
///
/// Bodies are streamed from their files in pieces as the client reads them, so a file of hundreds of megabytes
/// costs no more memory than a small one.
class LocalHttpServer : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    /// How one path is answered instead of normally.
    struct Behaviour
    {
        int status = 200;
        QByteArray location;    ///< a Location header (redirects)
        qint64 lengthSkew = 0;  ///< added to the Content-Length that is announced; the real body is sent
        qint64 stallAfter = -1; ///< >= 0: send that many body bytes, then nothing while the connection stays open
        qint64 dripBytes = 0;   ///< > 0: send the body this many bytes at a time, one piece every dripMs
        int dripMs = 0;

        static Behaviour withStatus(int status);
        static Behaviour redirect(const QByteArray &location, int status = 301);
        static Behaviour wrongLength(qint64 skew);
        static Behaviour stall(qint64 afterBytes);
        /// A slow or dripping server: `bytes` of the body every `everyMs`.
        static Behaviour drip(qint64 bytes, int everyMs);
    };

    /// Listens on `address`:`port` (0 picks a free port).
    explicit LocalHttpServer(quint16 port = 0, const QHostAddress &address = QHostAddress(QHostAddress::LocalHost),
                             QObject *parent = nullptr);
    ~LocalHttpServer() override;

    bool isListening() const;
    quint16 port() const;
    /// "http://127.0.0.1:<port>" (the listening address).
    QString url() const;

    /// GET of /a/b answers the file root/a/b; paths that leave the folder are refused with 404.
    void serveFolder(const QString &root);
    /// One path answered with these bytes, or with this file's contents.
    void setBody(const QString &path, const QByteArray &body);
    void setFile(const QString &path, const QString &filePath);
    /// One path answered with a fault; clearBehaviours() ends them all.
    void setBehaviour(const QString &path, const Behaviour &behaviour);
    void clearBehaviours();
    /// What a request that no path, file or folder answers gets: this status with the body "{}" (200 at first);
    /// 0 keeps such connections open without an answer.
    void setStatus(int status);

    const QList<Request> &requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }
    int requestCount(const QString &path) const;
    /// Bytes of bodies handed to the sockets so far.
    qint64 bytesSent() const { return m_bytesSent; }

signals:
    /// A complete request was read and answered (or held).
    void requestServed(const QString &path);

private:
    struct Connection
    {
        QByteArray buffer;
        QFile *file = nullptr;
        QByteArray body; // when not from a file
        qint64 offset = 0;
        qint64 bodySize = 0;
        qint64 stopAt = -1; // stall point
        qint64 dripBytes = 0;
        int dripMs = 0;
        bool dripWaiting = false; // the next piece is due later
        bool answered = false;
    };

    void onNewConnection();
    void onData(QTcpSocket *socket);
    void answer(QTcpSocket *socket, Connection &connection, const Request &request);
    void pump(QTcpSocket *socket);
    void drop(QTcpSocket *socket);
    QString fileFor(const QString &path) const;

    QTcpServer *m_server;
    QString m_root;
    QHash<QString, QByteArray> m_bodies;
    QHash<QString, QString> m_files;
    QHash<QString, Behaviour> m_behaviours;
    QHash<QTcpSocket *, Connection> m_connections;
    QList<Request> m_requests;
    int m_status = 200;
    qint64 m_bytesSent = 0;
};
