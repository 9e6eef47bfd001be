#include "BaselineServers.h"

#include "BenchSupport.h"

#include "network/FrameCodec.h"
#include "network/ProtocolCodes.h"

#include <QFile>
#include <QtEndian>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int listenLoopback(uint16_t *port, int backlog)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(fd, backlog) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &len) != 0) {
        ::close(fd);
        return -1;
    }
    *port = ntohs(address.sin_port);
    return fd;
}

constexpr uint32_t kListenKey = 0xffffffffu;

void addToEpoll(int epoll, int fd, uint32_t events)
{
    epoll_event ev{};
    ev.events = events;
    ev.data.fd = fd;
    epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &ev);
}

} // namespace

// --- EchoServer ------------------------------------------------------------------------------------------------------

EchoServer::~EchoServer()
{
    stop();
}

bool EchoServer::start()
{
    m_listen = listenLoopback(&m_port, m_backlog);
    if (m_listen < 0)
        return false;
    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    addToEpoll(m_epoll, m_listen, EPOLLIN);
    m_thread = std::thread([this] { run(); });
    return true;
}

void EchoServer::stop()
{
    if (m_stop.exchange(true))
        return;
    if (m_thread.joinable())
        m_thread.join();
    if (m_epoll >= 0)
        ::close(m_epoll);
    if (m_listen >= 0)
        ::close(m_listen);
}

void EchoServer::run()
{
    std::vector<int> open;
    std::vector<epoll_event> events(1024);
    std::vector<char> buffer(64 * 1024);
    while (!m_stop.load(std::memory_order_relaxed)) {
        const int n = epoll_wait(m_epoll, events.data(), int(events.size()), 5);
        for (int e = 0; e < n; ++e) {
            const int fd = events[size_t(e)].data.fd;
            if (fd == m_listen) {
                for (;;) {
                    const int peer = ::accept4(m_listen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                    if (peer < 0)
                        break;
                    open.push_back(peer);
                    addToEpoll(m_epoll, peer, EPOLLIN);
                }
                continue;
            }
            const ssize_t got = ::recv(fd, buffer.data(), buffer.size(), 0);
            if (got > 0) {
                // Keep-alives are a few bytes: the socket buffer always takes them whole.
                ssize_t at = 0;
                while (at < got) {
                    const ssize_t sent = ::send(fd, buffer.data() + at, size_t(got - at), MSG_NOSIGNAL);
                    if (sent <= 0)
                        break;
                    at += sent;
                }
            } else if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
            }
        }
    }
    for (int fd : open)
        ::close(fd);
}

// --- FileSender ------------------------------------------------------------------------------------------------------

FileSender::~FileSender()
{
    stop();
}

bool FileSender::start(const QString &path, int connections, int chunkSize)
{
    m_path = path;
    m_connections = connections;
    m_chunkSize = chunkSize;
    m_listen = listenLoopback(&m_port, SOMAXCONN);
    if (m_listen < 0)
        return false;
    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.u32 = kListenKey;
    epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_listen, &ev);
    m_thread = std::thread([this] { run(); });
    return true;
}

void FileSender::go()
{
    m_startNs = bench::nowNs();
    m_go = true;
}

double FileSender::wait(int timeoutMs)
{
    const int64_t deadline = bench::nowNs() + int64_t(timeoutMs) * 1000000;
    while (m_confirmed.load() < m_connections) {
        if (bench::nowNs() > deadline)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return double(m_endNs.load() - m_startNs.load()) / 1e9;
}

void FileSender::stop()
{
    if (m_stop.exchange(true))
        return;
    if (m_thread.joinable())
        m_thread.join();
    if (m_epoll >= 0)
        ::close(m_epoll);
    if (m_listen >= 0)
        ::close(m_listen);
}

void FileSender::run()
{
    struct Peer
    {
        int fd = -1;
        int64_t offset = 0; // file bytes framed so far
        std::string frame;  // the frame being written
        size_t frameSent = 0;
        bool completeQueued = false;
        bool done = false; // complete frame written
        bool confirmed = false;
        std::string in; // the answer frame
    };
    const int file = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
    const int64_t size = file >= 0 ? int64_t(::lseek(file, 0, SEEK_END)) : 0;
    std::vector<Peer> peers;
    peers.reserve(size_t(m_connections));
    std::vector<epoll_event> events(1024);
    std::vector<char> readBuffer(4096);
    bool writing = false;

    auto nextFrame = [&](Peer &peer) -> bool {
        if (peer.completeQueued)
            return false;
        if (peer.offset == 0 && peer.frame.empty() && peer.frameSent == 0) {
            const QByteArray start = FrameCodec::encode(VELK_REMOTE_CMD_TRANSFER_FILE_START, FileSender::kFileName);
            peer.frame.assign(start.constData(), size_t(start.size()));
            peer.frameSent = 0;
            peer.offset = 0;
            return true;
        }
        if (peer.offset < size) {
            const int32_t want = int32_t(std::min<int64_t>(m_chunkSize, size - peer.offset));
            peer.frame.resize(size_t(FrameCodec::kHeaderSize + want));
            char *data = &peer.frame[0];
            qToLittleEndian<qint32>(want, data);
            qToLittleEndian<quint16>(VELK_REMOTE_CMD_TRANSFER_FILE_DATA, data + 4);
            const ssize_t got = ::pread(file, data + FrameCodec::kHeaderSize, size_t(want), peer.offset);
            if (got != want)
                return false;
            peer.offset += want;
            peer.frameSent = 0;
            return true;
        }
        const QByteArray complete =
            FrameCodec::encode(VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE, FrameCodec::sizeText(size));
        peer.frame.assign(complete.constData(), size_t(complete.size()));
        peer.frameSent = 0;
        peer.completeQueued = true;
        return true;
    };

    while (!m_stop.load(std::memory_order_relaxed)) {
        if (!writing && m_go.load()) {
            writing = true;
            for (size_t i = 0; i < peers.size(); ++i) {
                epoll_event ev{};
                ev.events = EPOLLIN | EPOLLOUT;
                ev.data.u32 = uint32_t(i);
                epoll_ctl(m_epoll, EPOLL_CTL_MOD, peers[i].fd, &ev);
            }
        }
        const int n = epoll_wait(m_epoll, events.data(), int(events.size()), 2);
        for (int e = 0; e < n; ++e) {
            const uint32_t key = events[size_t(e)].data.u32;
            if (key == kListenKey) {
                for (;;) {
                    const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
                    if (fd < 0)
                        break;
                    Peer peer;
                    peer.fd = fd;
                    peers.push_back(peer);
                    epoll_event ev{};
                    ev.events = EPOLLIN;
                    ev.data.u32 = uint32_t(peers.size() - 1);
                    epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev);
                    m_accepted.fetch_add(1);
                }
                continue;
            }
            Peer &peer = peers[size_t(key)];
            const uint32_t what = events[size_t(e)].events;
            if (what & EPOLLOUT) {
                // A plain copy: frames go out one write each until the socket is full.
                for (;;) {
                    if (peer.frameSent == peer.frame.size()) {
                        if (!nextFrame(peer)) {
                            peer.done = true;
                            epoll_event ev{};
                            ev.events = EPOLLIN;
                            ev.data.u32 = key;
                            epoll_ctl(m_epoll, EPOLL_CTL_MOD, peer.fd, &ev);
                            break;
                        }
                    }
                    const ssize_t sent = ::send(peer.fd, peer.frame.data() + peer.frameSent,
                                                peer.frame.size() - peer.frameSent, MSG_NOSIGNAL);
                    if (sent <= 0)
                        break;
                    peer.frameSent += size_t(sent);
                }
            }
            if (what & EPOLLIN) {
                const ssize_t got = ::recv(peer.fd, readBuffer.data(), readBuffer.size(), 0);
                if (got > 0) {
                    peer.in.append(readBuffer.data(), size_t(got));
                    while (peer.in.size() >= size_t(FrameCodec::kHeaderSize)) {
                        const qint32 length = qFromLittleEndian<qint32>(peer.in.data());
                        const quint16 code = qFromLittleEndian<quint16>(peer.in.data() + 4);
                        if (length < 0 || peer.in.size() < size_t(FrameCodec::kHeaderSize + length))
                            break;
                        qint32 value = -1;
                        FrameCodec::readInt32(peer.in.data() + FrameCodec::kHeaderSize, length, 0, &value);
                        if (code == VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE && value == 0 && !peer.confirmed) {
                            peer.confirmed = true;
                            if (m_confirmed.fetch_add(1) + 1 == m_connections)
                                m_endNs = bench::nowNs();
                        }
                        peer.in.erase(0, size_t(FrameCodec::kHeaderSize + length));
                    }
                } else if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                    epoll_ctl(m_epoll, EPOLL_CTL_DEL, peer.fd, nullptr);
                }
            }
        }
    }
    for (Peer &peer : peers)
        ::close(peer.fd);
    if (file >= 0)
        ::close(file);
}

// --- blocking copy ---------------------------------------------------------------------------------------------------

double blockingCopySeconds(const QString &path, int chunkSize)
{
    uint16_t port = 0;
    const int listener = listenLoopback(&port, 1);
    const int file = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (listener < 0 || file < 0) {
        if (listener >= 0)
            ::close(listener);
        if (file >= 0)
            ::close(file);
        return -1;
    }
    const int64_t size = int64_t(::lseek(file, 0, SEEK_END));
    const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(client, reinterpret_cast<sockaddr *>(&address), sizeof address);
    int server = -1;
    for (int tries = 0; server < 0 && tries < 1000; ++tries) {
        server = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (server < 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ::close(listener);
    if (server < 0) {
        ::close(client);
        ::close(file);
        return -1;
    }
    // The listener was non-blocking; the copy is not.
    ::fcntl(server, F_SETFL, ::fcntl(server, F_GETFL) & ~O_NONBLOCK);
    const int64_t expected = size + (size + chunkSize - 1) / chunkSize * FrameCodec::kHeaderSize;
    std::atomic<int64_t> received{0};
    std::thread reader([&] {
        std::vector<char> buffer(256 * 1024);
        int64_t got = 0;
        while (got < expected) {
            const ssize_t n = ::recv(client, buffer.data(), buffer.size(), 0);
            if (n <= 0)
                break;
            got += n;
        }
        received = got;
    });
    const int64_t start = bench::nowNs();
    std::vector<char> frame(size_t(FrameCodec::kHeaderSize + chunkSize));
    bool ok = true;
    for (int64_t offset = 0; ok && offset < size; offset += chunkSize) {
        const int32_t want = int32_t(std::min<int64_t>(chunkSize, size - offset));
        qToLittleEndian<qint32>(want, frame.data());
        qToLittleEndian<quint16>(VELK_REMOTE_CMD_TRANSFER_FILE_DATA, frame.data() + 4);
        ok = ::pread(file, frame.data() + FrameCodec::kHeaderSize, size_t(want), offset) == want &&
             ::send(server, frame.data(), size_t(FrameCodec::kHeaderSize + want), MSG_NOSIGNAL) ==
                 ssize_t(FrameCodec::kHeaderSize + want);
    }
    reader.join();
    const int64_t end = bench::nowNs();
    ::close(server);
    ::close(client);
    ::close(file);
    return ok && received.load() == expected ? double(end - start) / 1e9 : -1;
}
