// Building the update routes of one model from 40,000 delta packages of many shapes, as a control-box upgrader does
// on the GUI thread when a manifest arrives (UpdateRoutes::build on the packages already read). The manifest comes
// from a server, so its shape is whatever that server sends: every shape must build, or be given up, quickly.
//
// Shapes: packages sharing one old version (one SKU each), SKU-neutral steps into one version and SKU steps out of
// it (every neutral step links to every SKU step), one chain listed end first, chains of the longest route, the
// most routes of the longest kind (with the duplicates a manifest may repeat), SKU branches that join again at
// every other step, and packages between random versions. Yardstick, alternating with each build: the same
// packages put into a hash by old version, one insert each (a linear pass over them). Target: every shape's
// median build within 0.5 s.

#include "BenchSupport.h"
#include "SendfileServer.h"

#include "firmware/BoxManifest.h"
#include "firmware/UpdateRoutes.h"

#include <QHash>
#include <QRandomGenerator>

#include <cstdio>
#include <vector>

namespace {

constexpr int PackageCount = 40000;
constexpr double TargetSeconds = 0.5;

QString version(int major, int minor, int build)
{
    return QStringLiteral("%1.%2.%3.0").arg(major).arg(minor).arg(build);
}

ManifestPackage step(const QString &from, const QString &to, const QString &sku = QString(), bool v2 = false)
{
    ManifestPackage package;
    package.v2 = v2 || !sku.isEmpty();
    package.oldVersion = from;
    package.newVersion = to;
    package.sku = sku;
    package.name = QStringLiteral("p.zip");
    package.size = 40960;
    package.url = QStringLiteral("http://updates.example/p.zip");
    return package;
}

struct Shape
{
    const char *name;
    QVector<ManifestPackage> packages;
};

std::vector<Shape> shapes()
{
    std::vector<Shape> all;
    {
        Shape s{"one old version, a SKU each", {}};
        for (int i = 0; i < PackageCount; ++i)
            s.packages.append(step(version(2, 5, 12000), version(2, 5, 12001), QStringLiteral("SKU%1").arg(i)));
        all.push_back(s);
    }
    {
        Shape s{"neutral steps into one version, SKU steps out", {}};
        for (int i = 0; i < PackageCount / 2; ++i)
            s.packages.append(step(version(2, 4, 10000 + i), version(2, 5, 12000)));
        for (int i = 0; i < PackageCount / 2; ++i)
            s.packages.append(step(version(2, 5, 12000), version(2, 5, 12001), QStringLiteral("SKU%1").arg(i)));
        all.push_back(s);
    }
    {
        Shape s{"one chain, listed end first", {}};
        for (int i = PackageCount - 1; i >= 0; --i)
            s.packages.append(
                step(version(3, i / 9000, 10000 + i % 9000), version(3, (i + 1) / 9000, 10000 + (i + 1) % 9000)));
        all.push_back(s);
    }
    {
        Shape s{"chains of the longest route", {}};
        const int length = UpdateRoutes::MaxRouteLength;
        for (int i = 0; i < PackageCount; ++i) {
            const int chain = i / length;
            const int at = i % length;
            s.packages.append(step(version(10 + chain, 0, 10000 + at), version(10 + chain, 0, 10001 + at)));
        }
        all.push_back(s);
    }
    {
        // 9 lines of 999 steps; SKU steps from versions of their own onto the lines, 9,900 routes in all of up to
        // 1,000 steps; every remaining package repeats a line's step (dropped as a duplicate).
        Shape s{"most routes of the longest kind", {}};
        const int lines = 9;
        const int length = UpdateRoutes::MaxRouteLength - 1;
        for (int line = 0; line < lines; ++line) {
            for (int at = 0; at < length; ++at)
                s.packages.append(step(version(20 + line, 1, 10000 + at), version(20 + line, 1, 10001 + at)));
            for (int k = 0; k < 1100; ++k)
                s.packages.append(step(version(20 + line, 0, 10000 + k), version(20 + line, 1, 10000 + k % length),
                                       QStringLiteral("SKU%1").arg(k)));
        }
        for (int i = 0; s.packages.size() < PackageCount; ++i)
            s.packages.append(step(version(20, 1, 10000 + i % length), version(20, 1, 10001 + i % length)));
        all.push_back(s);
    }
    {
        Shape s{"SKU branches joining at every other step", {}};
        for (int i = 0; s.packages.size() < PackageCount; i += 2) {
            s.packages.append(step(version(4, 0, 10000 + i), version(4, 0, 10001 + i)));
            s.packages.append(step(version(4, 0, 10001 + i), version(4, 0, 10002 + i), QStringLiteral("A")));
            s.packages.append(step(version(4, 0, 10001 + i), version(4, 0, 10002 + i), QStringLiteral("B")));
        }
        all.push_back(s);
    }
    {
        Shape s{"random versions and SKUs", {}};
        QRandomGenerator random(7);
        for (int i = 0; i < PackageCount; ++i) {
            const int from = random.bounded(5000);
            const int to = from + 1 + random.bounded(3);
            const int sku = random.bounded(21);
            s.packages.append(step(version(5, 0, 10000 + from), version(5, 0, 10000 + to),
                                   sku == 20 ? QString() : QStringLiteral("SKU%1").arg(sku), random.bounded(2) == 0));
        }
        all.push_back(s);
    }
    return all;
}

double yardstickSeconds(const QVector<ManifestPackage> &packages)
{
    const int64_t start = bench::nowNs();
    QHash<QString, int> byOld;
    for (int i = 0; i < packages.size(); ++i)
        byOld.insert(packages.at(i).oldVersion, i);
    const double seconds = double(bench::nowNs() - start) / 1e9;
    return byOld.isEmpty() ? -1 : seconds;
}

double buildSeconds(const QVector<ManifestPackage> &packages, bool *built, int *routes, int *nodes)
{
    const int64_t start = bench::nowNs();
    UpdateRoutes routesOf;
    *built = routesOf.build(packages);
    const double seconds = double(bench::nowNs() - start) / 1e9;
    *routes = routesOf.routes().size();
    *nodes = routesOf.nodes().size();
    return seconds;
}

int run(const QStringList &args)
{
    const QString roundsText = bench::argValue(args, QStringLiteral("--rounds"));
    const int rounds = roundsText.isEmpty() ? 5 : roundsText.toInt();
    std::printf("Update routes from %d packages per shape, built as the upgrader builds them; yardstick: the same "
                "packages hashed by old version; %d rounds, alternating\n",
                PackageCount, rounds);
    bool pass = true;
    double slowest = 0;
    for (const Shape &shape : shapes()) {
        std::vector<double> yardstick;
        std::vector<double> build;
        bool built = false;
        int routes = 0;
        int nodes = 0;
        for (int round = 0; round < rounds; ++round) {
            yardstick.push_back(yardstickSeconds(shape.packages));
            build.push_back(buildSeconds(shape.packages, &built, &routes, &nodes));
        }
        const double y = bench::median(yardstick);
        const double b = bench::median(build);
        slowest = qMax(slowest, b);
        const bool ok = b <= TargetSeconds;
        pass = pass && ok;
        std::printf("  %-46s %6d packages | hash %6.1f ms | build %7.1f ms (%5.1fx): %d nodes, %s  %s\n", shape.name,
                    shape.packages.size(), y * 1e3, b * 1e3, b / y, nodes,
                    built ? qPrintable(QStringLiteral("%1 routes").arg(routes)) : "given up (over a limit)",
                    ok ? "ok" : "MISSED");
    }
    std::printf("\nSlowest median build %.1f ms (target <= %.0f ms for every shape)  %s\n", slowest * 1e3,
                TargetSeconds * 1e3, pass ? "ok" : "MISSED");
    return pass ? 0 : 2;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::runFirmwareBench(argc, argv, run);
}
