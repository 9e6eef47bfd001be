// panelsim: simulated panels for manual and end-to-end runs against a console. See README.md.

#include "PanelFleet.h"
#include "PanelSimCommands.h"
#include "PanelSimOptions.h"

#include "network/ProtocolCodes.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDateTime>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

bool monotonicStamps = false;

QByteArray timeOfDayStamp()
{
    // The local time of day is read once a second: QTime::currentTime() reads the time-zone file every time, which
    // made a fleet's output cost more than answering the console.
    static qint64 stampSecond = -1;
    static QByteArray prefix;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now / 1000 != stampSecond) {
        stampSecond = now / 1000;
        prefix = QDateTime::fromMSecsSinceEpoch(stampSecond * 1000).toString(QStringLiteral("hh:mm:ss.")).toLatin1();
    }
    return prefix + QByteArray::number(now % 1000).rightJustified(3, '0');
}

void printLine(const QString &text)
{
    QByteArray stamp;
    if (monotonicStamps) {
        // CLOCK_MONOTONIC is one clock for every process on the host.
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        stamp = QByteArray::number(qint64(now.tv_sec) * 1000000 + now.tv_nsec / 1000);
    } else {
        stamp = timeOfDayStamp();
    }
    for (const QString &line : text.split(QLatin1Char('\n')))
        std::fprintf(stdout, "%s %s\n", stamp.constData(), line.toUtf8().constData());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("panelsim"));
    // Lines go out once per turn of the event loop, before it waits, instead of one write each: a fleet answering a
    // console's round writes hundreds of them in one turn.
    static char outputBuffer[1 << 16];
    std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &app,
                     [] { std::fflush(stdout); });

    PanelSimOptions options;
    QString error;
    if (!PanelSimOptions::parse(app.arguments(), &options, &error)) {
        std::fprintf(stderr, "panelsim: %s\nTry panelsim --help.\n", error.toLocal8Bit().constData());
        return 2;
    }
    monotonicStamps = options.monotonicStamps;
    if (options.showHelp) {
        std::fprintf(stdout, "%s\n%s\n", options.helpText.toLocal8Bit().constData(),
                     PanelSimCommands::helpText().toLocal8Bit().constData());
        return 0;
    }
    if (options.printCsv) {
        options.fleet.bindAnswerSockets = false;
        PanelFleet fleet(options.fleet);
        std::fwrite(fleet.deviceCsv().constData(), 1, size_t(fleet.deviceCsv().size()), stdout);
        return 0;
    }

    // Direct mode needs no discovery sockets; leaving them unbound keeps the port free for a console on this host.
    options.fleet.bindAnswerSockets = options.fleet.settings.discovery;
    PanelFleet fleet(options.fleet);
    QObject::connect(&fleet, &PanelFleet::logMessage, &app, printLine);
    if (options.verbose) {
        for (SimulatedPanel *panel : fleet.panels()) {
            QObject::connect(
                panel, &SimulatedPanel::frameReceived, &app, [panel](quint16 code, const QByteArray &payload) {
                    if (code == VELK_REMOTE_CMD_TRANSFER_FILE_DATA || code == VELK_REMOTE_CMD_BROADCAST_FILE_DATA)
                        return;
                    printLine(QStringLiteral("%1 <- %2 (%3 bytes)")
                                  .arg(panel->name(), QLatin1String(ProtocolCodes::name(code)))
                                  .arg(payload.size()));
                });
        }
    }
    for (SimulatedPanel *panel : fleet.panels()) {
        // Each file received, by its name and hash, so that a run can compare it with what was sent.
        const auto received = [panel](const QString &kind) {
            return [panel, kind](const QString &name, qint64 size, const QByteArray &sha256) {
                printLine(QStringLiteral("%1 %2 %3: %4 bytes, SHA-256 %5")
                              .arg(panel->name(), kind, name)
                              .arg(size)
                              .arg(QString::fromLatin1(sha256.toHex())));
            };
        };
        QObject::connect(panel, &SimulatedPanel::fileReceived, &app, received(QStringLiteral("file")));
        QObject::connect(panel, &SimulatedPanel::audioFileReceived, &app, received(QStringLiteral("audio file")));
    }

    const PanelSettings &settings = options.fleet.settings;
    printLine(QStringLiteral("%1 panel(s) from %2 (%3), %4 %5:%6")
                  .arg(fleet.size())
                  .arg(fleet.panel(0) ? fleet.panel(0)->settings().ownAddress.toString() : QString())
                  .arg(fleet.usesAliases() ? QStringLiteral("one address each") : QStringLiteral("all on one address"))
                  .arg(settings.discovery ? QStringLiteral("searching at") : QStringLiteral("console at"))
                  .arg(settings.discovery ? settings.discoveryAddress.toString() : settings.consoleAddress.toString())
                  .arg(settings.discovery ? settings.discoveryPort : settings.consolePort));
    if (fleet.answerPort() != 0)
        printLine(QStringLiteral("discovery sockets on port %1").arg(fleet.answerPort()));
    if (options.listenForWake) {
        if (fleet.listenForWake(options.wolAddress, options.wolPort, options.wolShared))
            printLine(QStringLiteral("waiting for magic packets on %1:%2")
                          .arg(options.wolAddress.toString())
                          .arg(fleet.wakePort()));
    }
    if (options.startOff)
        printLine(QStringLiteral("all panels are off until a magic packet wakes them"));
    else
        fleet.startAll();

    QTimer sosTimer;
    int nextSos = 0;
    if (options.sosEverySec > 0) {
        QObject::connect(&sosTimer, &QTimer::timeout, &app, [&fleet, &nextSos] {
            for (int tried = 0; tried < fleet.size(); ++tried) {
                SimulatedPanel *panel = fleet.panel(nextSos++ % fleet.size());
                if (panel->raiseSos() == 0)
                    return;
            }
        });
        sosTimer.start(options.sosEverySec * 1000);
    }

    // Line commands on standard input; end of input (e.g. </dev/null) just stops listening.
    PanelSimCommands commands(&fleet);
    QSocketNotifier stdinNotifier(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&stdinNotifier, &QSocketNotifier::activated, &app, [&] {
        char buffer[1024];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            stdinNotifier.setEnabled(false);
            return;
        }
        pending.append(buffer, int(n));
        int newline;
        while ((newline = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(newline)).trimmed();
            pending.remove(0, newline + 1);
            bool quit = false;
            const QString output = commands.execute(line, &quit);
            if (!output.isEmpty())
                printLine(output);
            if (quit)
                app.quit();
        }
    });

    return app.exec();
}
