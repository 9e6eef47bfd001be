#pragma once

// The yardsticks the console is measured against, each in its own thread on plain sockets and epoll:
// - EchoServer: sends every byte it receives straight back (the minimal keep-alive server);
// - FileSender: copies a file to every accepted connection in frames of the transfer's chunk size, one write per
//   frame, framed like a transfer (start, data, complete) so the same receiving panels can confirm it.

#include <QString>

#include <atomic>
#include <cstdint>
#include <thread>

class EchoServer
{
public:
    // backlog: the listen queue; 50 is what Qt 5's QTcpServer uses.
    explicit EchoServer(int backlog = 4096) : m_backlog(backlog) {}
    ~EchoServer();
    bool start();
    uint16_t port() const { return m_port; }
    void stop();

private:
    void run();

    int m_backlog;
    int m_listen = -1;
    int m_epoll = -1;
    uint16_t m_port = 0;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

// The plainest copy there is: one thread writes the file to a blocking loopback socket in frames of chunkSize
// bytes (header included, one send each), another reads them in 256 KiB pieces and throws them away. Seconds, or
// -1 when the copy failed.
double blockingCopySeconds(const QString &path, int chunkSize);

class FileSender
{
public:
    // The name the start frame asks the panel to store the file under.
    static constexpr const char *kFileName = "bench.img";

    FileSender() = default;
    ~FileSender();
    // Listens; once `connections` peers are connected, go() sends them the file.
    bool start(const QString &path, int connections, int chunkSize);
    uint16_t port() const { return m_port; }
    int accepted() const { return m_accepted.load(); }
    // Starts the copy; returns at once.
    void go();
    // Waits until every peer confirmed its file (or the time-out); the copy time in seconds, -1 on time-out.
    double wait(int timeoutMs);
    int confirmed() const { return m_confirmed.load(); }
    void stop();

private:
    void run();

    QString m_path;
    int m_connections = 0;
    int m_chunkSize = 0;
    int m_listen = -1;
    int m_epoll = -1;
    uint16_t m_port = 0;
    std::thread m_thread;
    std::atomic<int> m_accepted{0};
    std::atomic<int> m_confirmed{0};
    std::atomic<bool> m_go{false};
    std::atomic<bool> m_stop{false};
    std::atomic<int64_t> m_startNs{0};
    std::atomic<int64_t> m_endNs{0};
};
