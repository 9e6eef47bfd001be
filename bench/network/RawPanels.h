#pragma once

// Panels reduced to the part of the command protocol a load test needs: connect from their own loopback address,
// send the identity and wait for its answer, keep one keep-alive in flight, receive a file transfer and confirm it,
// answer the console's own keep-alives and set-password. Plain non-blocking sockets on epoll, spread over a few
// threads: the load side must cost far less than the server it measures, which a Qt-based simulated panel in the
// same process does not (it would compete for the same cores with the same event-loop costs).

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

class RawPanels
{
public:
    struct Options
    {
        int count = 1;
        int threads = 2;
        uint16_t serverPort = 0;
        // Send the identity (identities[i]) first and count a panel ready once the answer came back; otherwise a
        // panel is ready once connected (baseline servers know no protocol).
        bool identify = true;
        QList<QByteArray> identities;
        // The peer echoes bytes: a keep-alive comes back unchanged instead of as its answer.
        bool echoPeer = false;
        // Panel i binds 127.0.(1 + i/250).(2 + i%250) before connecting; otherwise 127.0.0.1.
        bool spreadAddresses = true;
        // At most this many panels connecting or awaiting their identity answer at a time (0 = all at once). Set-up
        // of the load runs gently; the connect storm leaves it at 0.
        int maxInProgress = 0;
        // A received file counts as good only when its name is expectedName and every byte equals this file's
        // (read back with pread as the data arrives; a mapping would add the file to the resident size the OTA
        // benchmark measures); empty: only the size is checked.
        QString expectedFile;
        QByteArray expectedName;
    };

    struct PingResult
    {
        uint64_t roundTrips = 0;
        double seconds = 0;
        std::vector<uint32_t> latenciesUs;
    };

    struct PanelTimes
    {
        int64_t connectedNs = -1;    // since connectAll(), -1 = never
        int64_t identifiedNs = -1;   // since connectAll(), -1 = never
        uint32_t synRetransmits = 0; // TCP_INFO total retransmissions right after the connect completed
        int identityResult = -99;
    };

    explicit RawPanels(const Options &options);
    ~RawPanels();

    // Starts the threads; each opens all its connections at once.
    void connectAll();
    // Waits until every panel is ready or failed; false on time-out.
    bool waitReady(int timeoutMs);
    int readyCount() const;
    int failedCount() const;
    std::vector<PanelTimes> panelTimes() const;

    // Every ready panel keeps one keep-alive in flight; round trips are counted and timed between the two marks.
    PingResult measurePings(int warmupMs, int measureMs);

    // File transfers received whole and unchanged (see Options::expectedFile), and those that were not.
    int filesGood() const;
    int filesBad() const;
    uint64_t fileBytes() const;

    // Closes every connection and stops the threads.
    void stop();

private:
    struct Conn;
    struct Worker;

    void run(Worker *worker);

    Options m_options;
    int m_expectedFd = -1;
    uint64_t m_expectedSize = 0;
    int64_t m_startNs = 0;
    std::vector<std::unique_ptr<Worker>> m_workers;
    std::atomic<int> m_ready{0};
    std::atomic<int> m_failed{0};
    std::atomic<int> m_filesGood{0};
    std::atomic<int> m_filesBad{0};
    std::atomic<uint64_t> m_fileBytes{0};
    std::atomic<bool> m_pinging{false};
    std::atomic<bool> m_recording{false};
    std::atomic<bool> m_stop{false};
};
