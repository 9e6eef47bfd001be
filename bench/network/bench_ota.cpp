// A firmware file pushed through the command server's transfer path (CmdServer::sendFile: start frame, paced
// 10,240-byte chunks, complete frame, the panel's confirmation) to 1 and to 100 panels at once, against a plain
// loopback copy of the same file to the same number of connections with one write per frame of the same size,
// measured in the same run, repetitions alternating with it. The receiving panels compare every byte with the file
// (and the name it is stored under), for the yardstick as for the console.
//
// Memory: the growth of the console's peak resident size over its transfer, per panel. The console streams the file
// chunk by chunk and holds none of it, so nothing is set aside for the file: the whole growth is divided among the
// panels. Target: at most 64 KiB per panel, where the per-panel part outweighs the fixed one (10 panels and more).
//
// Each panel count runs in a child process of its own (the command server is a process-wide singleton), on Qt's Unix
// event dispatcher (QT_NO_GLIB=1), the console's. `--dispatchers glib,unix` adds GLib rows for comparison; they are
// printed but not part of the verdict. Exit code 0 when every target is met, 2 otherwise.

#include "BaselineServers.h"
#include "BenchSupport.h"
#include "RawPanels.h"

#include "network/CmdServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimer>

#include <cstdio>
#include <thread>

namespace {

constexpr double kMinRatio = 0.5;
constexpr double kMaxKiBPerPanel = 64;
constexpr int kMemoryMinPanels = 10;

struct Settings
{
    QList<int> panelCounts = {1, 100};
    QStringList dispatchers = {QStringLiteral("unix")};
    qint64 sizeMiB = 100;
    int threads = 3;
    int reps = 2;
};

bool writeFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(1024 * 1024, Qt::Uninitialized);
    auto *words = reinterpret_cast<quint32 *>(block.data());
    QRandomGenerator random(7);
    for (qint64 written = 0; written < size; written += block.size()) {
        random.fillRange(words, block.size() / 4);
        const qint64 n = qMin<qint64>(block.size(), size - written);
        if (file.write(block.constData(), n) != n)
            return false;
    }
    return true;
}

int runChild(int count, const Settings &settings)
{
    bench::raiseFdLimit();
    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    const QString dispatcher = bench::dispatcherName();
    const qint64 fileSize = settings.sizeMiB * 1024 * 1024;
    const QString path = fixture.folder() + QStringLiteral("/Velkupdate-3.zip");
    if (!writeFile(path, fileSize)) {
        std::printf("cannot write %s\n", qPrintable(path));
        return 1;
    }
    const int chunkSize = fixture.config().chunkSize;
    const double totalMB = double(fileSize) * count / 1e6;

    // Baseline: the same receiving panels, fed by a plain epoll copy of the file.
    auto runBaseline = [&]() -> double {
        FileSender sender;
        if (!sender.start(path, count, chunkSize))
            return -1;
        RawPanels::Options options;
        options.count = count;
        options.threads = settings.threads;
        options.serverPort = sender.port();
        options.identify = false;
        options.expectedFile = path;
        options.expectedName = FileSender::kFileName;
        RawPanels panels(options);
        panels.connectAll();
        if (!panels.waitReady(20000) || panels.failedCount() > 0)
            return -1;
        while (sender.accepted() < count)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sender.go();
        const double seconds = sender.wait(300000);
        if (seconds <= 0 || panels.filesGood() != count) {
            std::printf("baseline: %d of %d files confirmed\n", sender.confirmed(), count);
            return -1;
        }
        return seconds;
    };

    // The console: the panels are managed and handshaken, then every one is sent the file at once.
    const QString password = QStringLiteral("bench");
    QList<VelkIFPDevice> managed;
    RawPanels::Options options;
    options.count = count;
    options.threads = settings.threads;
    options.identify = true;
    options.maxInProgress = 48;
    options.expectedFile = path;
    options.expectedName = "Velkupdate-3.zip";
    for (int i = 0; i < count; ++i) {
        managed.append(bench::panelDevice(i, password));
        options.identities.append(bench::panelIdentityJson(i, password));
    }
    CmdServer *server = fixture.start(managed, password);
    options.serverPort = server->serverPort();
    RawPanels panels(options);
    bool ready = false;
    std::thread connector([&] {
        panels.connectAll();
        ready = panels.waitReady(30000) && panels.failedCount() == 0;
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QCoreApplication::exec();
    connector.join();
    // The console registers a channel under its MAC a moment after the panel saw its answer.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 5000) {
        int registered = 0;
        for (const VelkIFPDevice &device : qAsConst(managed))
            registered += server->isDeviceOnline(device) ? 1 : 0;
        if (registered == count)
            break;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    if (!ready) {
        std::printf("console: %d of %d panels handshaken\n", panels.readyCount(), count);
        return 1;
    }

    // Repetitions alternate with the baseline, so both see the same machine load; the best of each counts.
    double baselineSeconds = 1e30;
    double consoleSeconds = 1e30;
    double blockingSeconds = 1e30; // one panel only: a blocking writer/reader pair without the protocol's receiver
    long growthKb = 0;             // the largest peak-RSS growth of a console repetition
    long residueKb = 0;            // RSS after the last repetition against before it
    // A single panel's copy takes a tenth of a second: more repetitions keep the noise of a busy host out.
    const int reps = count < 10 ? settings.reps * 3 : settings.reps;
    for (int rep = 0; rep < reps; ++rep) {
        const double base = runBaseline();
        if (base <= 0)
            return 1;
        baselineSeconds = qMin(baselineSeconds, base);
        if (count == 1) {
            const double blocking = blockingCopySeconds(path, chunkSize);
            if (blocking > 0)
                blockingSeconds = qMin(blockingSeconds, blocking);
        }

        int completed = 0;
        int failed = 0;
        const int goodBefore = panels.filesGood();
        QEventLoop loop;
        const QMetaObject::Connection connection =
            QObject::connect(server, &CmdServer::transferFileComplete, &loop, [&](const QString &, bool success, bool) {
                (success ? completed : failed) += 1;
                if (completed + failed == count)
                    loop.quit();
            });
        QTimer::singleShot(300000, &loop, &QEventLoop::quit);
        // The peak is taken over the console's transfer alone: the baseline's threads and buffers are gone by now.
        bench::resetPeakRss();
        const long rssBefore = bench::procStatusKb("VmRSS");
        const int64_t start = bench::nowNs();
        for (VelkIFPDevice &device : managed)
            server->sendFile(&device, path, QStringLiteral("Velkupdate-3.zip"));
        loop.exec();
        consoleSeconds = qMin(consoleSeconds, double(bench::nowNs() - start) / 1e9);
        growthKb = qMax(growthKb, bench::procStatusKb("VmHWM") - rssBefore);
        residueKb = bench::procStatusKb("VmRSS") - rssBefore;
        QObject::disconnect(connection);
        if (completed != count || panels.filesGood() - goodBefore != count) {
            std::printf("console: %d of %d transfers confirmed, %d failed\n", completed, count, failed);
            return 2;
        }
    }
    panels.stop();

    // The yardstick is the faster of the two plain copies.
    const double epollRate = totalMB / baselineSeconds;
    const double blockingRate = blockingSeconds < 1e29 ? totalMB / blockingSeconds : 0;
    const double baselineRate = qMax(epollRate, blockingRate);
    const double consoleRate = totalMB / consoleSeconds;
    const double ratio = consoleRate / baselineRate;
    const double perPanelKb = double(growthKb) / count;
    std::printf("  %3d panel(s), %-4s dispatcher: %.0f MB | epoll copy %7.0f MB/s%s | console %.2f s = %7.0f MB/s | "
                "ratio %.3fx | peak RSS growth %ld KiB = %.1f KiB per panel, RSS left %+ld KiB\n",
                count, qPrintable(dispatcher), totalMB, epollRate,
                blockingRate > 0 ? qPrintable(QStringLiteral(", blocking copy %1 MB/s").arg(blockingRate, 0, 'f', 0))
                                 : "",
                consoleSeconds, consoleRate, ratio, growthKb, perPanelKb, residueKb);
    std::printf("RESULT count=%d dispatcher=%s ratio=%.4f growth=%ld perpanel=%.1f base=%.0f console=%.0f\n", count,
                qPrintable(dispatcher), ratio, growthKb, perPanelKb, baselineRate, consoleRate);
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList args = bench::arguments(argc, argv);
    Settings settings;
    if (!bench::argValue(args, QStringLiteral("--panels")).isEmpty()) {
        settings.panelCounts.clear();
        for (const QString &n : bench::argValue(args, QStringLiteral("--panels")).split(QLatin1Char(',')))
            settings.panelCounts.append(n.toInt());
    }
    if (!bench::argValue(args, QStringLiteral("--dispatchers")).isEmpty())
        settings.dispatchers = bench::argValue(args, QStringLiteral("--dispatchers")).split(QLatin1Char(','));
    if (!bench::argValue(args, QStringLiteral("--size-mib")).isEmpty())
        settings.sizeMiB = bench::argValue(args, QStringLiteral("--size-mib")).toLongLong();
    if (!bench::argValue(args, QStringLiteral("--threads")).isEmpty())
        settings.threads = bench::argValue(args, QStringLiteral("--threads")).toInt();
    if (!bench::argValue(args, QStringLiteral("--reps")).isEmpty())
        settings.reps = qMax(1, bench::argValue(args, QStringLiteral("--reps")).toInt());

    QCoreApplication app(argc, argv);
    if (args.contains(QStringLiteral("--child")))
        return runChild(bench::argValue(args, QStringLiteral("--child")).toInt(), settings);

    std::printf("Firmware transfer of a %lld MiB file, %d-byte chunks, %d receiving threads (targets: >= %.1fx the "
                "plain copy; peak memory growth <= %.0f KiB per panel from %d panels)\n",
                settings.sizeMiB, NetworkConfig().chunkSize, settings.threads, kMinRatio, kMaxKiBPerPanel,
                kMemoryMinPanels);
    const QStringList forwarded = {QStringLiteral("--size-mib"), QString::number(settings.sizeMiB),
                                   QStringLiteral("--threads"),  QString::number(settings.threads),
                                   QStringLiteral("--reps"),     QString::number(settings.reps)};
    QStringList summary;
    bool allOk = true;
    for (int count : qAsConst(settings.panelCounts)) {
        for (const QString &mode : qAsConst(settings.dispatchers)) {
            const QStringList env = mode == QLatin1String("unix") ? QStringList{QStringLiteral("QT_NO_GLIB=1")}
                                                                  : QStringList{QStringLiteral("QT_NO_GLIB")};
            const QString out = bench::runChild(
                QStringList{QStringLiteral("--child"), QString::number(count)} + forwarded, env, 240000);
            const QRegularExpressionMatch m =
                QRegularExpression(
                    QStringLiteral("RESULT count=\\d+ dispatcher=(\\S+) ratio=(\\S+) growth=(\\S+) perpanel=(\\S+)"))
                    .match(out);
            const bool counted = mode == QLatin1String("unix");
            if (!m.hasMatch()) {
                summary.append(QStringLiteral("  %1 panel(s) %2: no result%3")
                                   .arg(count, 3)
                                   .arg(mode, counted ? QStringLiteral("  MISSED") : QString()));
                allOk = allOk && !counted;
                continue;
            }
            const double ratio = m.captured(2).toDouble();
            const long growth = m.captured(3).toLong();
            const double perPanel = m.captured(4).toDouble();
            const bool memoryCounts = count >= kMemoryMinPanels;
            const bool pass = ratio >= kMinRatio && (!memoryCounts || perPanel <= kMaxKiBPerPanel);
            if (counted)
                allOk = allOk && pass;
            summary.append(
                QStringLiteral("  %1 panel(s) %2: throughput %3x of the plain copy (>= %4x), peak RSS growth "
                               "%5 KiB = %6 KiB per panel (%7)  %8")
                    .arg(count, 3)
                    .arg(m.captured(1), -4)
                    .arg(ratio, 0, 'f', 3)
                    .arg(kMinRatio)
                    .arg(growth)
                    .arg(perPanel, 0, 'f', 1)
                    .arg(memoryCounts ? QStringLiteral("<= %1").arg(kMaxKiBPerPanel)
                                      : QStringLiteral("not judged below %1 panels").arg(kMemoryMinPanels))
                    .arg(!counted ? QStringLiteral("(not the console's dispatcher; not judged)")
                         : pass   ? QStringLiteral("ok")
                                  : QStringLiteral("MISSED")));
        }
    }
    std::printf("\nSummary\n%s\n", qPrintable(summary.join(QLatin1Char('\n'))));
    return allOk ? 0 : 2;
}
