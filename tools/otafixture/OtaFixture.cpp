#include "tools/otafixture/OtaFixture.h"

#include "tools/panelsim/LoopbackAddress.h"
#include "tools/panelsim/PanelFleet.h"
#include "tools/panelsim/SimulatedFirmware.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

struct AudioRelease
{
    const char *model;
    const char *version;
};

// The newest audio-box firmware the sample download server announces, one per model.
const AudioRelease AudioReleases[] = {{"QML8", "8.0.0000.05"},   {"QML8_SOS", "8.0.0000.05"},
                                      {"QMR8", "8.0.0000.07"},   {"QMR8_SOS", "8.0.0000.07"},
                                      {"QMR8V2", "8.0.0001.02"}, {"QMR8V2_SOS", "8.0.0001.02"}};

bool writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

QString audioFileName(const AudioRelease &release)
{
    return QStringLiteral("%1_%2.bin").arg(QLatin1String(release.model), QLatin1String(release.version));
}

struct DeltaStep
{
    const char *model;
    const char *sku; // nullptr: a Package for every SKU
    const char *oldVersion;
    const char *newVersion;
};

// The delta packages the sample update server announces: chains per model, and one step for SKU "EDU" only.
const DeltaStep DeltaSteps[] = {
    {"Velk TM7-B", nullptr, "2.5.2051.0", "2.5.2052.0"},
    {"Velk TM7-B", nullptr, "2.5.2052.0", "2.5.2053.0"},
    {"Velk TM7-B", "EDU", "2.5.2053.0", "2.5.2054.0"},
    {"Velk ZN-640", nullptr, "3.1.3001.0", "3.1.3002.0"},
    {"Velk ZN-640", nullptr, "3.1.3002.0", "3.1.3003.0"},
    {"Velk TM B-Series", nullptr, "2.5.1050.0", "2.5.1051.0"},
    {"Velk TM B-Series", nullptr, "2.5.1051.0", "2.5.1052.0"},
};

// The panel firmware that goes with each OS version the panels' steps install.
const struct
{
    const char *opsVersion;
    const char *panelVersion;
} PanelReleases[] = {{"2.5.1051.0", "00.01.00.06"}, {"2.5.1052.0", "00.01.00.07"}};

QString xmlText(const QString &text)
{
    return text.toHtmlEscaped();
}

} // namespace

bool OtaFixture::build(const QString &folder, const QString &baseUrl, qint64 firmwareSize, QString *error)
{
    QByteArray config = "; Sample update configuration of the audio boxes (synthetic).\n";
    quint32 seed = 1;
    for (const AudioRelease &release : AudioReleases) {
        const QString name = audioFileName(release);
        config += "[" + QByteArray(release.model) + "]\n";
        config += "Version=\"" + QByteArray(release.version) + "\"\n";
        config += "Path=\"" + baseUrl.toUtf8() + "/AudioBox/" + name.toUtf8() + "\"\n";
        const QByteArray image =
            SimulatedFirmware::make(firmwareSize, QString::fromLatin1(release.version), QString(), seed++);
        if (!writeFile(folder + QStringLiteral("/AudioBox/") + name, image, error))
            return false;
    }
    if (!writeFile(folder + QStringLiteral("/AudioBox/check4Update/update.cfg"), config, error))
        return false;

    QString manifest = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- Sample update manifest "
                                      "(synthetic) -->\n<Manifest>\n");
    for (const DeltaStep &step : DeltaSteps) {
        const QString name = QStringLiteral("%1_%2_%3%4.zip")
                                 .arg(QString::fromLatin1(step.model).replace(QLatin1Char(' '), QLatin1Char('-')),
                                      QLatin1String(step.oldVersion), QLatin1String(step.newVersion),
                                      step.sku ? QStringLiteral("_") + QLatin1String(step.sku) : QString());
        const QByteArray package =
            SimulatedFirmware::make(firmwareSize, QString::fromLatin1(step.newVersion), QString(), seed++);
        if (!writeFile(folder + QStringLiteral("/IFP3/packages/") + name, package, error))
            return false;
        manifest += QStringLiteral("  <%1 modelName=\"%2\"%3 oldVersion=\"%4\" newVersion=\"%5\" name=\"%6\" "
                                   "size=\"%7\">\n    <DownloadServer URL=\"%8/IFP3/packages/%6\"/>\n  </%1>\n")
                        .arg(step.sku ? QStringLiteral("PackageV2") : QStringLiteral("Package"),
                             xmlText(QLatin1String(step.model)),
                             step.sku ? QStringLiteral(" sku=\"%1\"").arg(QLatin1String(step.sku)) : QString(),
                             QLatin1String(step.oldVersion), QLatin1String(step.newVersion), name)
                        .arg(package.size())
                        .arg(xmlText(baseUrl));
    }
    manifest += QStringLiteral("</Manifest>\n");
    if (!writeFile(folder + QStringLiteral("/IFP3/OTAUpdate/manifest.xml"), manifest.toUtf8(), error))
        return false;

    // Every size and variant has its image; each image installs the panel version of its entry.
    QString panels = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- Sample panel firmware "
                                    "manifest (synthetic) -->\n<PanelManifest>\n");
    for (const auto &release : PanelReleases) {
        QString sizes;
        QString servers;
        for (int inches : {65, 75, 86}) {
            for (const char *variant : {"", "_01"}) {
                const QString suffix = QStringLiteral("%1%2").arg(inches).arg(QLatin1String(variant));
                const QString name = QStringLiteral("panel_%1_%2.img").arg(QLatin1String(release.opsVersion), suffix);
                const QByteArray image = SimulatedFirmware::make(firmwareSize / 2 + inches, QString(),
                                                                 QLatin1String(release.panelVersion), seed++);
                if (!writeFile(folder + QStringLiteral("/IFP3/panel/") + name, image, error))
                    return false;
                sizes += QStringLiteral(" panel_fw_size_%1=\"%2\"").arg(suffix).arg(image.size());
                servers += QStringLiteral("    <DownloadPanelServer_%1 URL=\"%2/IFP3/panel/%3\"/>\n")
                               .arg(suffix, xmlText(baseUrl), name);
            }
        }
        panels +=
            QStringLiteral("  <Package modelName=\"Velk TM B-Series\" oldVersion=\"%1\" panel_fw_Version=\"%2\"%3>\n"
                           "%4  </Package>\n")
                .arg(QLatin1String(release.opsVersion), QLatin1String(release.panelVersion), sizes, servers);
    }
    panels += QStringLiteral("</PanelManifest>\n");
    return writeFile(folder + QStringLiteral("/IFP3/OTAUpdate/manifest_panel.xml"), panels.toUtf8(), error);
}

QList<FixtureFleet> OtaFixture::fleets()
{
    auto fleet = [](const char *prefix, const char *model, const char *fw, int count, quint32 serial, const char *ip) {
        FixtureFleet f;
        f.namePrefix = QString::fromLatin1(prefix);
        f.model = QString::fromLatin1(model);
        f.deviceType =
            f.model.startsWith(QLatin1Char('Q')) ? QStringLiteral("Audio Box") : QStringLiteral("Control Box");
        f.fwVersion = QString::fromLatin1(fw);
        f.panelFwVersion = f.fwVersion;
        f.count = count;
        f.firstSerial = serial;
        f.baseIp = QString::fromLatin1(ip);
        return f;
    };
    QList<FixtureFleet> all;
    all << fleet("QML8-", "QML8", "8.0.0000.04", 4, 0x100, "127.0.3.2");
    FixtureFleet asleep = fleet("QML8-Off-", "QML8", "8.0.0000.04", 2, 0x110, "127.0.3.20");
    asleep.off = true;
    all << asleep;
    all << fleet("QMR8-", "QMR8", "8.0.0000.06", 2, 0x120, "127.0.3.30");
    all << fleet("QML8-SOS-", "QML8_SOS", "8.0.0000.05", 1, 0x130, "127.0.3.40"); // already current
    // Control boxes: two steps for every box, a third for the EDU box only.
    all << fleet("TM7B-", "Velk TM7-B", "2.5.2051.0", 3, 0x140, "127.0.3.50");
    FixtureFleet edu = fleet("TM7B-EDU-", "Velk TM7-B", "2.5.2051.0", 1, 0x150, "127.0.3.60");
    edu.sku = QStringLiteral("EDU");
    all << edu;
    all << fleet("ZN640-", "Velk ZN-640", "3.1.3002.0", 2, 0x160, "127.0.3.70");
    // Panels: two rounds; 65-inch panels first, then the 75-inch ones of another OC code, each with its image.
    FixtureFleet small = fleet("Panel65-", "Velk TM B-Series", "2.5.1050.0", 2, 0x170, "127.0.3.80");
    small.panelFwVersion = QStringLiteral("00.01.00.05");
    all << small;
    FixtureFleet large = fleet("Panel75-", "Velk TM B-Series", "2.5.1050.0", 2, 0x180, "127.0.3.90");
    large.panelFwVersion = QStringLiteral("00.02.01.05");
    all << large;
    return all;
}

QStringList OtaFixture::panelsimArguments(const FixtureFleet &fleet, quint16 consolePort, quint16 wolPort,
                                          const QString &password)
{
    QStringList args = {QStringLiteral("--console"), QStringLiteral("127.0.0.1:%1").arg(consolePort),
                        QStringLiteral("--count"), QString::number(fleet.count), QStringLiteral("--first-serial"),
                        QString::number(fleet.firstSerial), QStringLiteral("--base-ip"), fleet.baseIp,
                        QStringLiteral("--name-prefix"), fleet.namePrefix, QStringLiteral("--model"), fleet.model,
                        QStringLiteral("--device-type"), fleet.deviceType, QStringLiteral("--fw"), fleet.fwVersion,
                        QStringLiteral("--panel-fw"), fleet.panelFwVersion, QStringLiteral("--password"), password,
                        QStringLiteral("--wol-port"), QString::number(wolPort),
                        // Every fleet hears the console's magic packets on its one port, beside the others.
                        QStringLiteral("--wol-shared"),
                        // Devices restart into what they installed, and come back reporting it.
                        QStringLiteral("--reboot-after-ota")};
    if (!fleet.sku.isEmpty())
        args << QStringLiteral("--sku") << fleet.sku;
    if (fleet.off)
        args << QStringLiteral("--off");
    return args;
}

QList<VelkIFPDevice> OtaFixture::devices(const FixtureFleet &fleet)
{
    QList<VelkIFPDevice> devices;
    const QHostAddress base(fleet.baseIp);
    for (int i = 0; i < fleet.count; ++i) {
        VelkIFPDevice device;
        device.deviceName = PanelFleet::panelName(fleet.namePrefix, i, fleet.count);
        device.modelName = fleet.model;
        device.deviceType = fleet.deviceType;
        device.macAddress = SimulatedPanel::defaultIdentity(fleet.firstSerial + quint32(i)).mac;
        device.ipAddress = LoopbackAddress::forIndex(base, i).toString();
        device.fwVersion = fleet.fwVersion;
        device.panelFwVersion = fleet.panelFwVersion;
        device.sku = fleet.sku;
        devices.append(device);
    }
    return devices;
}
