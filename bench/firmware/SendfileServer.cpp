#include "SendfileServer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <arpa/inet.h>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/sendfile.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace bench {

namespace {

void sendAll(int fd, const std::string &text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += size_t(n);
    }
}

void serveOne(int fd, const std::string &root)
{
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            ::close(fd);
            return;
        }
        head.append(buffer, size_t(n));
    }
    const size_t start = head.find(' ');
    const size_t end = head.find(' ', start + 1);
    const std::string path = start == std::string::npos ? std::string() : head.substr(start + 1, end - start - 1);
    const int file = path.find("..") == std::string::npos ? ::open((root + path).c_str(), O_RDONLY) : -1;
    struct stat info;
    if (file < 0 || ::fstat(file, &info) != 0 || !S_ISREG(info.st_mode)) {
        sendAll(fd, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    } else {
        sendAll(fd,
                "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(info.st_size) + "\r\nConnection: close\r\n\r\n");
        off_t offset = 0;
        while (offset < info.st_size) {
            if (::sendfile(fd, file, &offset, size_t(info.st_size - offset)) <= 0)
                break;
        }
    }
    if (file >= 0)
        ::close(file);
    ::shutdown(fd, SHUT_WR);
    while (::recv(fd, buffer, sizeof buffer, 0) > 0) {
    }
    ::close(fd);
}

} // namespace

int runSendfileServer(const QString &folder)
{
    const std::string root = QDir(folder).absolutePath().toStdString();
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(listener, 128) != 0)
        return 1;
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
    std::printf("PORT %u\n", unsigned(ntohs(address.sin_port)));
    std::fflush(stdout);
    // The parent closes our standard input when it is done (or dies).
    std::thread watcher([listener] {
        char c;
        while (::read(0, &c, 1) > 0) {
        }
        ::shutdown(listener, SHUT_RDWR);
        ::close(listener);
        ::_exit(0);
    });
    watcher.detach();
    for (;;) {
        const int fd = ::accept(listener, nullptr, nullptr);
        if (fd < 0)
            return 0;
        std::thread(serveOne, fd, root).detach();
    }
}

int runFirmwareBench(int argc, char **argv, int (*body)(const QStringList &arguments))
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    if (args.value(0) == QLatin1String("--serve"))
        return runSendfileServer(args.value(1));
    qputenv("QT_NO_GLIB", "1"); // the console's dispatcher
    QCoreApplication app(argc, argv);
    return body(args);
}

ServerProcess::ServerProcess(const QString &folder)
{
    m_process = new QProcess;
    QProcess *process = m_process;
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--serve"), folder});
    if (!process->waitForStarted(5000) || !process->waitForReadyRead(5000))
        return;
    const QByteArray line = process->readLine().trimmed();
    if (line.startsWith("PORT "))
        m_port = quint16(line.mid(5).toUInt());
}

ServerProcess::~ServerProcess()
{
    m_process->closeWriteChannel();
    if (!m_process->waitForFinished(3000))
        m_process->kill();
    delete m_process;
}

} // namespace bench
