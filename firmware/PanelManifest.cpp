#include "firmware/PanelManifest.h"

#include "firmware/BoxManifest.h"
#include "firmware/DownloadRules.h"
#include "firmware/PanelVersion.h"

#include <QBuffer>
#include <QXmlStreamReader>

PanelManifest PanelManifest::read(const QByteArray &xml, const QString &modelName)
{
    QBuffer buffer;
    buffer.setData(xml);
    buffer.open(QIODevice::ReadOnly);
    return read(&buffer, modelName);
}

PanelManifest PanelManifest::read(QIODevice *device, const QString &modelName)
{
    PanelManifest manifest;
    QXmlStreamReader xml(device);
    QVector<int> open; // entry index of every open "Package", -1 for one that does not count
    while (!xml.atEnd() && !xml.hasError()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (!open.isEmpty() && xml.name() == QLatin1String("Package"))
                open.removeLast();
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QStringRef name = xml.name();
        const QXmlStreamAttributes attributes = xml.attributes();
        if (name.startsWith(QLatin1String("DownloadPanelServer_"))) {
            // An address the downloader would refuse (blank, "ftp://...", "none") is none: it must not hide a usable
            // one later in the entry or in a later entry.
            const QString url = attributes.value(QLatin1String("URL")).trimmed().toString();
            if (!open.isEmpty() && open.last() >= 0 && DownloadRules::isFetchableAddress(url)) {
                Entry &entry = manifest.entries[open.last()];
                if (!entry.servers.contains(name.toString()))
                    entry.servers.insert(name.toString(), url);
            }
            continue;
        }
        if (name != QLatin1String("Package"))
            continue;
        open.append(-1);
        if (attributes.isEmpty() || attributes.value(QLatin1String("modelName")) != modelName ||
            !attributes.hasAttribute(QLatin1String("oldVersion")))
            continue;
        Entry entry;
        entry.oldVersion = attributes.value(QLatin1String("oldVersion")).toString();
        entry.panelVersion = attributes.value(QLatin1String("panel_fw_Version")).toString();
        for (const QXmlStreamAttribute &attribute : attributes) {
            if (attribute.name().startsWith(QLatin1String("panel_fw_size_")))
                entry.attributes.insert(attribute.name().toString(), attribute.value().toString());
        }
        open.last() = manifest.entries.size();
        manifest.entries.append(entry);
    }
    if (xml.hasError())
        manifest.error = xml.errorString();
    return manifest;
}

QString PanelManifest::matchedPanelVersion(const QString &opsVersion) const
{
    for (const Entry &entry : entries) {
        if (entry.oldVersion == opsVersion && PanelVersion::isWellFormed(entry.panelVersion))
            return entry.panelVersion;
    }
    return QString();
}

QString PanelManifest::sizeAttribute(int inches, const QString &ocCode)
{
    if (inches != 65 && inches != 75 && inches != 86)
        return QString();
    return QStringLiteral("panel_fw_size_%1%2").arg(inches).arg(ocCode == QLatin1String("00") ? "" : "_01");
}

QString PanelManifest::serverElement(int inches, const QString &ocCode)
{
    if (inches != 65 && inches != 75 && inches != 86)
        return QString();
    return QStringLiteral("DownloadPanelServer_%1%2").arg(inches).arg(ocCode == QLatin1String("00") ? "" : "_01");
}

PanelManifest::Image PanelManifest::image(const QString &opsVersion, int inches, const QString &ocCode) const
{
    const QString sizeName = sizeAttribute(inches, ocCode);
    const QString serverName = serverElement(inches, ocCode);
    for (const Entry &entry : entries) {
        if (entry.oldVersion != opsVersion || !entry.attributes.contains(sizeName) ||
            !entry.servers.contains(serverName))
            continue;
        // Without a size the image could not be checked, and no image is larger than 4 GiB; such an entry does not
        // count.
        const QString sizeText = entry.attributes.value(sizeName);
        const qint64 size = BoxManifest::parseSize(QStringRef(&sizeText));
        if (size > 0 && size <= DownloadRules::MaxStatedFirmwareBytes)
            return Image{entry.servers.value(serverName), size};
    }
    return Image();
}
