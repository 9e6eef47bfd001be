#include "firmware/AudioBoxSOSUpgrade.h"

AudioBoxSOSUpgrade::AudioBoxSOSUpgrade(QObject *parent) : AudioBoxUpgrade(parent)
{
    modelName = QStringLiteral("QML8_SOS");
}

void AudioBoxSOSUpgrade::setDownloadFolder(const QString &otaFolder)
{
    downloadFolder = otaFolder + QStringLiteral("AudioBoxSOS/");
}
