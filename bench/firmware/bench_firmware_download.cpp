// A 500 MiB firmware file downloaded by the console's HttpDownloader (QNetworkAccessManager under the console's
// Unix event dispatcher, written to disk as it arrives) against curl fetching the same file from the same server in
// the same run. The server is a sendfile(2) server in a process of its own; both clients write to tmpfs, so neither
// the disk nor the server sets the pace. Rounds alternate curl and the console; the best of each counts.
// Target: the console at no less than 0.5x curl's rate.

#include "BenchSupport.h"
#include "SendfileServer.h"

#include "firmware/HttpDownloader.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>

#include <cstdio>

namespace {

bool writeRandomFile(const QString &path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray block(4 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator random(11);
    for (qint64 written = 0; written < size; written += block.size()) {
        random.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
        const qint64 n = qMin<qint64>(block.size(), size - written);
        if (file.write(block.constData(), n) != n)
            return false;
    }
    return true;
}

QByteArray sha256(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

// Seconds curl takes, or -1.
double curlSeconds(const QString &url, const QString &out)
{
    QProcess curl;
    const int64_t start = bench::nowNs();
    curl.start(QStringLiteral("curl"), {QStringLiteral("-s"), QStringLiteral("-f"), QStringLiteral("-o"), out, url});
    if (!curl.waitForFinished(600000) || curl.exitCode() != 0)
        return -1;
    return double(bench::nowNs() - start) / 1e9;
}

// Seconds the console's downloader takes, or -1; `stallMs` gets the event loop's longest stall meanwhile.
double consoleSeconds(HttpDownloader &downloader, const QString &dir, const QString &url, qint64 size, double *stallMs)
{
    QEventLoop loop;
    bool ok = false;
    // A 5 ms tick: how late it comes is how long the loop was busy with the download.
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    int64_t last = bench::nowNs();
    *stallMs = 0;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        const int64_t now = bench::nowNs();
        *stallMs = qMax(*stallMs, double(now - last) / 1e6 - 5.0);
        last = now;
    });
    tick.start(5);
    const QMetaObject::Connection connection =
        QObject::connect(&downloader, &HttpDownloader::fileDownloadFinished, &loop, [&](const QString &, bool success) {
            ok = success;
            loop.quit();
        });
    QTimer::singleShot(600000, &loop, &QEventLoop::quit);
    const int64_t start = bench::nowNs();
    if (downloader.download(dir, url, QStringLiteral("firmware.bin"), size).isEmpty())
        return -1;
    loop.exec();
    const double seconds = double(bench::nowNs() - start) / 1e9;
    QObject::disconnect(connection);
    return ok ? seconds : -1;
}

} // namespace

int run(const QStringList &args)
{
    const qint64 sizeMiB = bench::argValue(args, QStringLiteral("--size-mib")).isEmpty()
                               ? 500
                               : bench::argValue(args, QStringLiteral("--size-mib")).toLongLong();
    const int rounds = bench::argValue(args, QStringLiteral("--rounds")).isEmpty()
                           ? 3
                           : bench::argValue(args, QStringLiteral("--rounds")).toInt();
    const qint64 size = sizeMiB * 1024 * 1024;

    bench::ConsoleFixture fixture;
    if (!fixture.isValid())
        return 1;
    const QString served = fixture.folder() + QStringLiteral("/served");
    const QString otaFolder = fixture.folder() + QStringLiteral("/OTA/");
    QDir().mkpath(served);
    QDir().mkpath(otaFolder);
    if (!writeRandomFile(served + QStringLiteral("/firmware.bin"), size)) {
        std::printf("cannot write the served file\n");
        return 1;
    }
    const QByteArray expected = sha256(served + QStringLiteral("/firmware.bin"));
    bench::ServerProcess server(served);
    if (server.port() == 0) {
        std::printf("the server did not start\n");
        return 1;
    }
    const QString url = QStringLiteral("http://127.0.0.1:%1/firmware.bin").arg(server.port());
    HttpDownloader downloader;
    downloader.setRootFolder(otaFolder);
    std::printf("Download of a %lld MiB file from a sendfile server on 127.0.0.1, %s dispatcher, files on tmpfs\n",
                sizeMiB, qPrintable(bench::dispatcherName()));

    double bestCurl = 1e30;
    double bestConsole = 1e30;
    for (int round = 0; round < rounds; ++round) {
        const QString curlOut = fixture.folder() + QStringLiteral("/curl.bin");
        const double c = curlSeconds(url, curlOut);
        const bool curlGood = c > 0 && QFileInfo(curlOut).size() == size;
        QFile::remove(curlOut);
        double stall = 0;
        const double d = consoleSeconds(downloader, otaFolder, url, size, &stall);
        const QString local = otaFolder + QStringLiteral("firmware.bin");
        // The first round proves the file intact; later rounds check its size (the downloader checks it too).
        const bool consoleGood = d > 0 && (round > 0 || sha256(local) == expected);
        QFile::remove(local);
        if (!curlGood || !consoleGood) {
            std::printf("round %d failed: curl %s, console %s\n", round + 1, curlGood ? "ok" : "FAILED",
                        consoleGood ? "ok" : "FAILED");
            // The console's failed download misses the target; curl's leaves nothing to measure against.
            return consoleGood ? 1 : 2;
        }
        std::printf("  round %d: curl %.2f s = %.0f MiB/s | console %.2f s = %.0f MiB/s, longest event-loop stall "
                    "%.1f ms\n",
                    round + 1, c, sizeMiB / c, d, sizeMiB / d, stall);
        bestCurl = qMin(bestCurl, c);
        bestConsole = qMin(bestConsole, d);
    }
    const double ratio = bestCurl / bestConsole;
    const bool pass = ratio >= 0.5;
    std::printf("\nBest of %d: curl %.0f MiB/s, console %.0f MiB/s: ratio %.3fx (target >= 0.5x)  %s\n", rounds,
                sizeMiB / bestCurl, sizeMiB / bestConsole, ratio, pass ? "ok" : "MISSED");
    return pass ? 0 : 2;
}

int main(int argc, char **argv)
{
    return bench::runFirmwareBench(argc, argv, run);
}
