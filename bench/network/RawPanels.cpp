#include "RawPanels.h"

#include "BenchSupport.h"

#include "network/FrameCodec.h"
#include "network/ProtocolCodes.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kMaxKeptPayload = 256; // small frames are kept whole; file data is compared as it passes, not kept
constexpr int32_t kMaxLength = 1024 * 1024;

std::string frame(quint16 code, const QByteArray &payload)
{
    const QByteArray bytes = FrameCodec::encode(code, payload);
    return std::string(bytes.constData(), size_t(bytes.size()));
}

std::string int32Frame(quint16 code, qint32 value)
{
    return frame(code, FrameCodec::int32Payload(value));
}

} // namespace

struct RawPanels::Conn
{
    enum State
    {
        Connecting,
        Identifying,
        Ready,
        Dead
    };

    int fd = -1;
    int index = 0;
    State state = Connecting;
    bool wantWrite = false;
    std::string out;

    // Frame reassembly: the header in place, the payload kept up to kMaxKeptPayload bytes.
    unsigned char header[FrameCodec::kHeaderSize];
    int headerHave = 0;
    int32_t length = 0;
    quint16 code = 0;
    int32_t payloadHave = 0;
    char kept[kMaxKeptPayload];

    int64_t pingSentNs = 0;
    bool pingOutstanding = false;
    uint64_t fileBytes = 0;
    bool fileActive = false;
    bool fileIntact = true; // name and every byte so far as expected

    PanelTimes times;
};

struct RawPanels::Worker
{
    int id = 0;
    int epoll = -1;
    std::thread thread;
    std::vector<Conn> conns;
    std::vector<uint32_t> latencies;
    std::atomic<uint64_t> roundTrips{0};
    std::atomic<bool> pingsStarted{false};
};

RawPanels::RawPanels(const Options &options) : m_options(options)
{
    if (!options.expectedFile.isEmpty()) {
        m_expectedFd = ::open(QFile::encodeName(options.expectedFile).constData(), O_RDONLY | O_CLOEXEC);
        struct stat info = {};
        if (m_expectedFd >= 0 && ::fstat(m_expectedFd, &info) == 0)
            m_expectedSize = uint64_t(info.st_size);
        // A file that cannot be read makes every transfer count as bad rather than as unchecked.
    }
    const int threads = std::max(1, std::min(options.threads, options.count));
    for (int t = 0; t < threads; ++t) {
        auto worker = std::make_unique<Worker>();
        worker->id = t;
        m_workers.push_back(std::move(worker));
    }
    for (int i = 0; i < options.count; ++i) {
        Conn conn;
        conn.index = i;
        m_workers[size_t(i % threads)]->conns.push_back(conn);
    }
}

RawPanels::~RawPanels()
{
    stop();
    if (m_expectedFd >= 0)
        ::close(m_expectedFd);
}

void RawPanels::connectAll()
{
    m_startNs = bench::nowNs();
    for (auto &worker : m_workers) {
        Worker *w = worker.get();
        w->thread = std::thread([this, w] { run(w); });
    }
}

bool RawPanels::waitReady(int timeoutMs)
{
    const int64_t deadline = bench::nowNs() + int64_t(timeoutMs) * 1000000;
    while (m_ready.load() + m_failed.load() < m_options.count) {
        if (bench::nowNs() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

int RawPanels::readyCount() const
{
    return m_ready.load();
}

int RawPanels::failedCount() const
{
    return m_failed.load();
}

std::vector<RawPanels::PanelTimes> RawPanels::panelTimes() const
{
    std::vector<PanelTimes> times(size_t(m_options.count));
    for (const auto &worker : m_workers) {
        for (const Conn &conn : worker->conns)
            times[size_t(conn.index)] = conn.times;
    }
    return times;
}

int RawPanels::filesGood() const
{
    return m_filesGood.load();
}

int RawPanels::filesBad() const
{
    return m_filesBad.load();
}

uint64_t RawPanels::fileBytes() const
{
    return m_fileBytes.load();
}

RawPanels::PingResult RawPanels::measurePings(int warmupMs, int measureMs)
{
    m_pinging = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(warmupMs));
    uint64_t before = 0;
    for (auto &worker : m_workers)
        before += worker->roundTrips.load();
    m_recording = true;
    const int64_t start = bench::nowNs();
    std::this_thread::sleep_for(std::chrono::milliseconds(measureMs));
    m_recording = false;
    const int64_t end = bench::nowNs();
    uint64_t after = 0;
    for (auto &worker : m_workers)
        after += worker->roundTrips.load();
    m_pinging = false;
    // Let the workers see the end before their samples are read.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    PingResult result;
    result.roundTrips = after - before;
    result.seconds = double(end - start) / 1e9;
    for (auto &worker : m_workers) {
        result.latenciesUs.insert(result.latenciesUs.end(), worker->latencies.begin(), worker->latencies.end());
        worker->latencies.clear();
    }
    return result;
}

void RawPanels::stop()
{
    if (m_stop.exchange(true))
        return;
    for (auto &worker : m_workers) {
        if (worker->thread.joinable())
            worker->thread.join();
        for (Conn &conn : worker->conns) {
            if (conn.fd >= 0)
                ::close(conn.fd);
            conn.fd = -1;
        }
        if (worker->epoll >= 0)
            ::close(worker->epoll);
        worker->epoll = -1;
    }
}

void RawPanels::run(Worker *w)
{
    w->epoll = epoll_create1(EPOLL_CLOEXEC);
    w->latencies.reserve(1 << 20);
    static thread_local std::vector<char> buffer(256 * 1024);

    const std::string heartbeat = int32Frame(VELK_REMOTE_CMD_HEARTBEAT, 0);
    const std::string heartbeatAnswer = int32Frame(VELK_REMOTE_RSP_HEARTBEAT, 0);
    const std::string passwordAnswer = int32Frame(VELK_REMOTE_RSP_SET_PASSWORD, 0);
    const std::string fileGood = int32Frame(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE, 0);
    const std::string fileBad = int32Frame(VELK_REMOTE_RSP_TRANSFER_FILE_COMPLETE, -1);

    auto setEvents = [w](Conn &conn, bool write) {
        epoll_event ev{};
        ev.events = write ? uint32_t(EPOLLIN | EPOLLOUT) : uint32_t(EPOLLIN);
        ev.data.u32 = uint32_t(&conn - w->conns.data());
        epoll_ctl(w->epoll, EPOLL_CTL_MOD, conn.fd, &ev);
        conn.wantWrite = write;
    };
    int inProgress = 0; // connecting or awaiting the identity answer
    auto kill = [this, w, &inProgress](Conn &conn) {
        if (conn.state == Conn::Dead)
            return;
        if (conn.state != Conn::Ready) {
            m_failed.fetch_add(1);
            --inProgress;
        }
        conn.state = Conn::Dead;
        epoll_ctl(w->epoll, EPOLL_CTL_DEL, conn.fd, nullptr);
    };
    auto send = [&](Conn &conn, const std::string &bytes) {
        if (conn.state == Conn::Dead)
            return;
        if (conn.out.empty()) {
            const ssize_t n = ::send(conn.fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n == ssize_t(bytes.size()))
                return;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                kill(conn);
                return;
            }
            conn.out.append(bytes, size_t(std::max<ssize_t>(n, 0)), std::string::npos);
        } else {
            conn.out.append(bytes);
        }
        if (!conn.wantWrite)
            setEvents(conn, true);
    };
    auto sendPing = [&](Conn &conn) {
        conn.pingOutstanding = true;
        conn.pingSentNs = bench::nowNs();
        send(conn, heartbeat);
    };
    auto pingAnswered = [&](Conn &conn) {
        if (!conn.pingOutstanding)
            return;
        conn.pingOutstanding = false;
        if (m_recording.load(std::memory_order_relaxed)) {
            const int64_t rtt = bench::nowNs() - conn.pingSentNs;
            w->latencies.push_back(uint32_t(std::min<int64_t>(rtt / 1000, UINT32_MAX)));
            w->roundTrips.store(w->roundTrips.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
        }
        if (m_pinging.load(std::memory_order_relaxed))
            sendPing(conn);
    };
    auto becomeReady = [&](Conn &conn) {
        conn.state = Conn::Ready;
        m_ready.fetch_add(1);
        --inProgress;
        if (w->pingsStarted.load(std::memory_order_relaxed))
            sendPing(conn);
    };
    auto onFrame = [&](Conn &conn) {
        const int kept = std::min(conn.length, kMaxKeptPayload);
        qint32 value = 0;
        FrameCodec::readInt32(conn.kept, kept, 0, &value);
        switch (conn.code) {
        case VELK_REMOTE_RSP_IDENTITY:
            if (conn.state == Conn::Identifying) {
                conn.times.identifiedNs = bench::nowNs() - m_startNs;
                conn.times.identityResult = value;
                if (value == 0)
                    becomeReady(conn);
                else
                    kill(conn);
            }
            break;
        case VELK_REMOTE_CMD_HEARTBEAT:
            if (m_options.echoPeer)
                pingAnswered(conn);
            else
                send(conn, heartbeatAnswer);
            break;
        case VELK_REMOTE_RSP_HEARTBEAT:
            pingAnswered(conn);
            break;
        case VELK_REMOTE_CMD_SET_PASSWORD:
            send(conn, passwordAnswer);
            break;
        case VELK_REMOTE_CMD_TRANSFER_FILE_START:
            conn.fileActive = true;
            conn.fileBytes = 0;
            conn.fileIntact = m_options.expectedFile.isEmpty() ||
                              (m_expectedFd >= 0 && QByteArray::fromRawData(conn.kept, kept) == m_options.expectedName);
            break;
        case VELK_REMOTE_CMD_TRANSFER_FILE_COMPLETE: {
            qint64 announced = -1;
            const bool parsed = FrameCodec::parseSizeText(QByteArray::fromRawData(conn.kept, kept), &announced);
            if (!conn.fileActive || (parsed && announced == 0)) {
                conn.fileActive = false;
                break;
            }
            conn.fileActive = false;
            const bool whole = m_options.expectedFile.isEmpty() || conn.fileBytes == m_expectedSize;
            const bool good = parsed && uint64_t(announced) == conn.fileBytes && conn.fileIntact && whole;
            (good ? m_filesGood : m_filesBad).fetch_add(1);
            m_fileBytes.fetch_add(conn.fileBytes);
            send(conn, good ? fileGood : fileBad);
            break;
        }
        default:
            break;
        }
    };
    std::vector<char> fileBuffer(static_cast<size_t>(kMaxLength));
    auto sameAsFile = [&](uint64_t offset, const char *p, int32_t size) {
        return offset + uint64_t(size) <= m_expectedSize &&
               ::pread(m_expectedFd, fileBuffer.data(), size_t(size), off_t(offset)) == ssize_t(size) &&
               std::memcmp(fileBuffer.data(), p, size_t(size)) == 0;
    };
    auto consume = [&](Conn &conn, const char *p, const char *end) {
        while (p < end && conn.state != Conn::Dead) {
            if (conn.headerHave < FrameCodec::kHeaderSize) {
                const int take = int(std::min<ptrdiff_t>(FrameCodec::kHeaderSize - conn.headerHave, end - p));
                std::memcpy(conn.header + conn.headerHave, p, size_t(take));
                conn.headerHave += take;
                p += take;
                if (conn.headerHave < FrameCodec::kHeaderSize)
                    break;
                conn.length = qFromLittleEndian<qint32>(conn.header);
                conn.code = qFromLittleEndian<quint16>(conn.header + 4);
                conn.payloadHave = 0;
                if (conn.length < 0 || conn.length > kMaxLength) {
                    kill(conn);
                    break;
                }
            } else {
                const int32_t take = int32_t(std::min<ptrdiff_t>(conn.length - conn.payloadHave, end - p));
                if (conn.payloadHave < kMaxKeptPayload)
                    std::memcpy(conn.kept + conn.payloadHave, p,
                                size_t(std::min<int32_t>(take, kMaxKeptPayload - conn.payloadHave)));
                if (conn.code == VELK_REMOTE_CMD_TRANSFER_FILE_DATA && conn.fileActive) {
                    if (m_expectedFd >= 0 && conn.fileIntact)
                        conn.fileIntact = sameAsFile(conn.fileBytes, p, take);
                    conn.fileBytes += uint64_t(take);
                }
                conn.payloadHave += take;
                p += take;
            }
            if (conn.headerHave == FrameCodec::kHeaderSize && conn.payloadHave == conn.length) {
                onFrame(conn);
                conn.headerHave = 0;
            }
        }
    };

    // Connections open at once, or a batch at a time when maxInProgress is set.
    const int limit = m_options.maxInProgress > 0 ? std::max(1, m_options.maxInProgress / int(m_workers.size()))
                                                  : int(w->conns.size());
    size_t nextToOpen = 0;
    auto openMore = [&] {
        while (nextToOpen < w->conns.size() && inProgress < limit) {
            Conn &conn = w->conns[nextToOpen++];
            conn.fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (conn.fd < 0) {
                conn.state = Conn::Dead;
                m_failed.fetch_add(1);
                continue;
            }
            sockaddr_in local{};
            local.sin_family = AF_INET;
            local.sin_addr.s_addr =
                m_options.spreadAddresses
                    ? htonl((127u << 24) | (uint32_t(1 + conn.index / 250) << 8) | uint32_t(2 + conn.index % 250))
                    : htonl(INADDR_LOOPBACK);
            sockaddr_in server{};
            server.sin_family = AF_INET;
            server.sin_port = htons(m_options.serverPort);
            server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            if (::bind(conn.fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0 ||
                (::connect(conn.fd, reinterpret_cast<sockaddr *>(&server), sizeof server) != 0 &&
                 errno != EINPROGRESS)) {
                ::close(conn.fd);
                conn.fd = -1;
                conn.state = Conn::Dead;
                m_failed.fetch_add(1);
                continue;
            }
            epoll_event ev{};
            ev.events = EPOLLIN | EPOLLOUT;
            ev.data.u32 = uint32_t(&conn - w->conns.data());
            epoll_ctl(w->epoll, EPOLL_CTL_ADD, conn.fd, &ev);
            conn.wantWrite = true;
            ++inProgress;
        }
    };
    openMore();

    std::vector<epoll_event> events(1024);
    while (!m_stop.load(std::memory_order_relaxed)) {
        if (m_pinging.load(std::memory_order_relaxed) != w->pingsStarted.load(std::memory_order_relaxed)) {
            const bool start = m_pinging.load();
            w->pingsStarted = start;
            if (start) {
                for (Conn &conn : w->conns) {
                    if (conn.state == Conn::Ready && !conn.pingOutstanding)
                        sendPing(conn);
                }
            }
        }
        openMore();
        const int n = epoll_wait(w->epoll, events.data(), int(events.size()), 5);
        for (int e = 0; e < n; ++e) {
            Conn &conn = w->conns[events[size_t(e)].data.u32];
            if (conn.state == Conn::Dead)
                continue;
            const uint32_t what = events[size_t(e)].events;
            if (conn.state == Conn::Connecting) {
                int error = 0;
                socklen_t len = sizeof error;
                getsockopt(conn.fd, SOL_SOCKET, SO_ERROR, &error, &len);
                if (error != 0) {
                    kill(conn);
                    continue;
                }
                if (!(what & (EPOLLOUT | EPOLLIN)))
                    continue;
                conn.times.connectedNs = bench::nowNs() - m_startNs;
                tcp_info info{};
                socklen_t infoLen = sizeof info;
                if (getsockopt(conn.fd, IPPROTO_TCP, TCP_INFO, &info, &infoLen) == 0)
                    conn.times.synRetransmits = info.tcpi_total_retrans;
                setEvents(conn, false);
                if (m_options.identify) {
                    conn.state = Conn::Identifying;
                    send(conn, frame(VELK_REMOTE_CMD_IDENTITY, m_options.identities.value(conn.index)));
                } else {
                    becomeReady(conn);
                }
                continue;
            }
            if (what & EPOLLOUT) {
                const ssize_t sent = ::send(conn.fd, conn.out.data(), conn.out.size(), MSG_NOSIGNAL);
                if (sent > 0)
                    conn.out.erase(0, size_t(sent));
                else if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                    kill(conn);
                if (conn.state != Conn::Dead && conn.out.empty())
                    setEvents(conn, false);
            }
            if (conn.state != Conn::Dead && (what & (EPOLLIN | EPOLLHUP | EPOLLERR))) {
                const ssize_t got = ::recv(conn.fd, buffer.data(), buffer.size(), 0);
                if (got > 0)
                    consume(conn, buffer.data(), buffer.data() + got);
                else if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
                    kill(conn);
            }
        }
    }
}
