// Reading an update manifest of 10,000 delta packages and building every update route from it, as a control-box
// upgrader does when the manifest arrives (BoxManifest::read, then UpdateRoutes::build), against a bare
// QXmlStreamReader loop over the same bytes (readNext until the end, nothing kept). Both read from memory, so the
// disk plays no part; rounds alternate baseline and subject, and the median of each counts.
//
// The manifest: for one model, 10 lines of 500 versions each (5,000 "Package" steps), and onto every tenth
// version of a line a "PackageV2" step for each of 10 SKUs from a version of its own (5,000 more): every SKU step
// starts a route that follows the line to its end, 5,000 routes of up to 500 steps, each walked anew as the
// route builder does. Target: the subject at most 5x the bare loop.

#include "BenchSupport.h"
#include "SendfileServer.h"

#include "firmware/BoxManifest.h"
#include "firmware/UpdateRoutes.h"

#include <QCoreApplication>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QByteArray makeManifest(int lines, int versionsPerLine, int skus, int *packageCount)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Manifest>\n";
    int count = 0;
    auto add = [&](const char *element, const QByteArray &sku, const QByteArray &from, const QByteArray &to) {
        xml += "  <" + QByteArray(element) + " modelName=\"Velk TM7-B\"" + sku + " oldVersion=\"" + from +
               "\" newVersion=\"" + to + "\" name=\"p" + QByteArray::number(count) + ".zip\" size=\"" +
               QByteArray::number(40960 + count) + "\">\n    <DownloadServer URL=\"http://updates.example/pkg/p" +
               QByteArray::number(count) + ".zip\"/>\n  </" + element + ">\n";
        ++count;
    };
    for (int line = 0; line < lines; ++line) {
        const QByteArray major = QByteArray::number(2 + line) + ".5.";
        for (int v = 0; v < versionsPerLine; ++v) {
            const QByteArray from = major + QByteArray::number(10000 + v) + ".0";
            add("Package", QByteArray(), from, major + QByteArray::number(10001 + v) + ".0");
            if (v % 10 != 0)
                continue;
            for (int s = 0; s < skus; ++s) {
                // A SKU's own step from a version of its own onto the line: a route of its own from there on.
                add("PackageV2", " sku=\"SKU" + QByteArray::number(s) + "\"",
                    QByteArray::number(2 + line) + ".4." + QByteArray::number(10000 + v * skus + s) + ".0", from);
            }
        }
    }
    *packageCount = count;
    return xml + "</Manifest>\n";
}

double bareLoopSeconds(const QByteArray &xml)
{
    const int64_t start = bench::nowNs();
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        reader.readNext();
    const double seconds = double(bench::nowNs() - start) / 1e9;
    return reader.hasError() ? -1 : seconds;
}

double subjectSeconds(const QByteArray &xml, int *routes, int *nodes)
{
    const int64_t start = bench::nowNs();
    const BoxManifest::Result manifest = BoxManifest::read(xml, QStringLiteral("Velk TM7-B"));
    UpdateRoutes built;
    const bool ok = built.build(manifest.packages);
    const double seconds = double(bench::nowNs() - start) / 1e9;
    *routes = built.routes().size();
    *nodes = built.nodes().size();
    return ok ? seconds : -1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

int run(const QStringList &args)
{
    const int rounds = bench::argValue(args, QStringLiteral("--rounds")).isEmpty()
                           ? 11
                           : bench::argValue(args, QStringLiteral("--rounds")).toInt();
    int packages = 0;
    const QByteArray xml = makeManifest(10, 500, 10, &packages);
    std::printf("Manifest of %d packages (%.1f MiB): reading and building every route, against a bare "
                "QXmlStreamReader loop; %d rounds, alternating\n",
                packages, xml.size() / 1048576.0, rounds);
    std::vector<double> bare;
    std::vector<double> subject;
    int routes = 0;
    int nodes = 0;
    for (int round = 0; round < rounds; ++round) {
        // Even rounds start with the bare loop, odd ones with the subject, so neither always runs on a warmer cache.
        double b = 0;
        double s = 0;
        if (round % 2 == 0) {
            b = bareLoopSeconds(xml);
            s = subjectSeconds(xml, &routes, &nodes);
        } else {
            s = subjectSeconds(xml, &routes, &nodes);
            b = bareLoopSeconds(xml);
        }
        if (b <= 0 || s <= 0) {
            std::printf("round %d failed (the routes were given up, or the XML did not read)\n", round + 1);
            // The console's routes given up miss the target; a bare loop that could not read leaves no yardstick.
            return s <= 0 ? 2 : 1;
        }
        bare.push_back(b);
        subject.push_back(s);
    }
    const double b = median(bare);
    const double s = median(subject);
    const double ratio = s / b;
    const bool pass = ratio <= 5.0;
    std::printf("  bare loop %.1f ms | read and build %.1f ms: %d nodes, %d routes\n", b * 1e3, s * 1e3, nodes, routes);
    std::printf("\nMedian: ratio %.2fx (target <= 5x)  %s\n", ratio, pass ? "ok" : "MISSED");
    return pass ? 0 : 2;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::runFirmwareBench(argc, argv, run);
}
