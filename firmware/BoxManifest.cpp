#include "firmware/BoxManifest.h"

#include "firmware/DownloadRules.h"
#include "shell/base/Log.h"

#include <QBuffer>
#include <QXmlStreamReader>

#include <limits>

BoxManifest::Result BoxManifest::read(const QByteArray &xml, const QString &modelName)
{
    QBuffer buffer;
    buffer.setData(xml);
    buffer.open(QIODevice::ReadOnly);
    return read(&buffer, modelName);
}

BoxManifest::Result BoxManifest::read(QIODevice *device, const QString &modelName)
{
    Result result;
    QXmlStreamReader xml(device);
    // Packages open at this depth (nesting is not expected, but must not confuse the DownloadServer it owns).
    QVector<int> open;
    while (!xml.atEnd() && !xml.hasError()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (!open.isEmpty() && (xml.name() == QLatin1String("Package") || xml.name() == QLatin1String("PackageV2")))
                open.removeLast();
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QStringRef name = xml.name();
        const QXmlStreamAttributes attributes = xml.attributes();
        if (name == QLatin1String("DownloadServer")) {
            // An address the downloader would refuse is none, so a usable one after it is taken.
            const QString url = attributes.value(QLatin1String("URL")).trimmed().toString();
            if (!open.isEmpty() && open.last() >= 0 && result.packages[open.last()].url.isEmpty() &&
                DownloadRules::isFetchableAddress(url))
                result.packages[open.last()].url = url;
            continue;
        }
        const bool v2 = name == QLatin1String("PackageV2");
        if (!v2 && name != QLatin1String("Package"))
            continue;
        // Every package element closes, so the stack always follows the nesting; -1 marks one that does not count.
        open.append(-1);
        if (attributes.isEmpty() || attributes.value(QLatin1String("modelName")) != modelName ||
            !attributes.hasAttribute(QLatin1String("oldVersion")) ||
            !attributes.hasAttribute(QLatin1String("newVersion")) ||
            (v2 && !attributes.hasAttribute(QLatin1String("sku"))))
            continue;
        ManifestPackage package;
        package.v2 = v2;
        package.oldVersion = attributes.value(QLatin1String("oldVersion")).toString();
        package.newVersion = attributes.value(QLatin1String("newVersion")).toString();
        if (!isWellFormedVersion(package.oldVersion) || !isWellFormedVersion(package.newVersion)) {
            writeLog(LOG_LEVEL_WARNING, "manifest: %s package with a malformed version ignored: %s to %s",
                     qPrintable(modelName), qPrintable(package.oldVersion), qPrintable(package.newVersion));
            ++result.dropped;
            continue;
        }
        if (v2)
            package.sku = attributes.value(QLatin1String("sku")).toString();
        package.name = attributes.value(QLatin1String("name")).toString();
        package.size = parseSize(attributes.value(QLatin1String("size")));
        if (package.size > DownloadRules::MaxStatedFirmwareBytes) {
            writeLog(LOG_LEVEL_WARNING, "manifest: %s package of %s bytes refused (more than 4 GiB): %s to %s",
                     qPrintable(modelName), qPrintable(attributes.value(QLatin1String("size")).toString()),
                     qPrintable(package.oldVersion), qPrintable(package.newVersion));
            ++result.dropped;
            continue;
        }
        open.last() = result.packages.size();
        result.packages.append(package);
    }
    if (xml.hasError())
        result.error = xml.errorString();
    return result;
}

bool BoxManifest::isWellFormedVersion(const QString &version)
{
    int fields = 1;
    int digits = 0;
    for (const QChar c : version) {
        if (c == QLatin1Char('.')) {
            if (digits == 0)
                return false;
            ++fields;
            digits = 0;
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            ++digits;
        } else {
            return false;
        }
    }
    return fields == 4 && digits > 0;
}

qint64 BoxManifest::parseSize(const QStringRef &text)
{
    bool ok = false;
    const qint64 size = text.toLongLong(&ok, 10);
    if (ok)
        return size > 0 ? size : -1;
    // Digits that no 64-bit number holds state a size far above any limit, not a missing one: read as the largest,
    // every caller's limit refuses it. Written the way toLongLong takes a number it can hold: blanks around the
    // digits and a plus before them.
    QStringRef digits = text.trimmed();
    if (digits.startsWith(QLatin1Char('+')))
        digits = digits.mid(1);
    if (digits.isEmpty())
        return -1;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
    }
    return std::numeric_limits<qint64>::max();
}
