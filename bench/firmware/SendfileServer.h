#pragma once

// The fastest plain HTTP server this host offers for a benchmark's downloads: blocking sockets, one thread per
// connection, the body sent with sendfile(2) straight from the page cache. It runs in a process of its own (the
// benchmark program started with --serve), so the console's event loop is measured alone, and it is never the
// bottleneck of the clients it serves.

#include <QString>
#include <QStringList>

class QProcess;

namespace bench {

// The common start of a firmware benchmark's main(): as the server child (--serve FOLDER) it serves and returns
// that exit code; otherwise it creates the application object under the console's Unix dispatcher and returns
// `body`'s exit code, the program's arguments handed over.
int runFirmwareBench(int argc, char **argv, int (*body)(const QStringList &arguments));

// Serves the files below `folder` on 127.0.0.1; prints "PORT <n>" on standard output once listening, then serves
// until standard input closes. Returns the exit code.
int runSendfileServer(const QString &folder);

// Starts this program with --serve `folder` and returns the port it listens on (0 on failure). The server ends
// with the returned handle.
class ServerProcess
{
public:
    explicit ServerProcess(const QString &folder);
    ~ServerProcess();
    quint16 port() const { return m_port; }

private:
    QProcess *m_process = nullptr;
    quint16 m_port = 0;
};

} // namespace bench
