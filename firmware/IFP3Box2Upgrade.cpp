#include "firmware/IFP3Box2Upgrade.h"

IFP3Box2Upgrade::IFP3Box2Upgrade(QObject *parent) : IFP3BoxUpgrade(parent)
{
    modelName = QStringLiteral("Velk ZN-640");
    minRemoteOtaVersion = QStringLiteral("3.1.3001.0");
}

void IFP3Box2Upgrade::setDownloadFolder(const QString &otaFolder)
{
    downloadFolder = otaFolder + QStringLiteral("IFP3_BOX2/");
}
