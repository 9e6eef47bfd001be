#include "network/NetworkConfig.h"

#include <QDir>
#include <QMutex>
#include <QMutexLocker>
#include <QStandardPaths>

namespace {

QMutex &configMutex()
{
    static QMutex mutex;
    return mutex;
}

NetworkConfig &storedConfig()
{
    static NetworkConfig config;
    return config;
}

} // namespace

NetworkConfig NetworkConfig::current()
{
    QMutexLocker locker(&configMutex());
    return storedConfig();
}

void NetworkConfig::setCurrent(const NetworkConfig &config)
{
    QMutexLocker locker(&configMutex());
    storedConfig() = config;
}

QString NetworkConfig::effectiveAudioFolder() const
{
    if (!audioFolder.isEmpty())
        return audioFolder;
    return QStandardPaths::writableLocation(QStandardPaths::DataLocation) + QStringLiteral("/Audio/");
}

QString NetworkConfig::effectiveTempFolder() const
{
    return tempFolder.isEmpty() ? QDir::tempPath() : tempFolder;
}

bool NetworkConfig::allowsDestination(const QHostAddress &address) const
{
    if (!loopbackOnly)
        return true;
    bool ok = false;
    const quint32 ipv4 = address.toIPv4Address(&ok);
    return ok && (ipv4 >> 24) == 127;
}
