#pragma once

// A fleet of simulated panels in a process of its own (tools/panelsim), for benchmarks that measure the console's
// event loop: panels sharing that loop would be measured with it. The fleet starts powered off and is switched on
// and off through panelsim's standard-input commands, so a storm begins at a moment this side knows.

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace bench {

class PanelProcess
{
public:
    struct Options
    {
        int count = 1000;
        quint16 consolePort = 0;
        QString password;
        // Panel i on 127.0.(1 + i/250).(2 + i%250) with MAC 02:51:4d + (1 + i): bench::panelAddress and panelMac.
        // The process's panels are firstIndex, firstIndex + 1 ...
        int firstIndex = 0;
        // Set: every panel connects from this one address instead, as panels behind a router that translates
        // addresses (panelsim puts every panel on a base address ending in .1).
        QString sharedAddress;
        int reconnectDelayMs = 2000;
    };

    PanelProcess() = default;
    ~PanelProcess();

    // Starts panelsim with every panel off; returns once its panels exist (false after timeoutMs, or when the
    // program is missing). Its output goes to `logPath`.
    bool start(const Options &options, const QString &logPath, int timeoutMs = 30000);
    // Presses every panel's power button; returns the monotonic time (bench::nowNs) the command left this process.
    int64_t powerOnAll();
    // Pulls every panel's plug.
    void powerOffAll();
    void stop();

    // The panelsim executable this benchmark was built with.
    static QString program();

private:
    void command(const QByteArray &line);

    QProcess m_process;
    QString m_logPath;
};

} // namespace bench
