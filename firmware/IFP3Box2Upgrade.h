#pragma once

#include "firmware/IFP3BoxUpgrade.h"

/// The second control-box model, "Velk ZN-640": the box upgrader with its own key, minimum and folder.
class IFP3Box2Upgrade : public IFP3BoxUpgrade
{
    Q_OBJECT
public:
    explicit IFP3Box2Upgrade(QObject *parent = nullptr);
    void setDownloadFolder(const QString &otaFolder) override;
};
