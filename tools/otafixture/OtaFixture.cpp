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
    return writeFile(folder + QStringLiteral("/AudioBox/check4Update/update.cfg"), config, error);
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
    return all;
}

QStringList OtaFixture::panelsimArguments(const FixtureFleet &fleet, quint16 consolePort, quint16 wolPort,
                                          const QString &password)
{
    QStringList args = {QStringLiteral("--console"),      QStringLiteral("127.0.0.1:%1").arg(consolePort),
                        QStringLiteral("--count"),        QString::number(fleet.count),
                        QStringLiteral("--first-serial"), QString::number(fleet.firstSerial),
                        QStringLiteral("--base-ip"),      fleet.baseIp,
                        QStringLiteral("--name-prefix"),  fleet.namePrefix,
                        QStringLiteral("--model"),        fleet.model,
                        QStringLiteral("--device-type"),  fleet.deviceType,
                        QStringLiteral("--fw"),           fleet.fwVersion,
                        QStringLiteral("--panel-fw"),     fleet.panelFwVersion,
                        QStringLiteral("--password"),     password,
                        QStringLiteral("--wol-port"),     QString::number(wolPort)};
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
