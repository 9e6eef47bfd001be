#pragma once

#include "firmware/AudioBoxUpgrade.h"

/// The audio box with an SOS button: the audio-box upgrader under its own model key and download folder.
class AudioBoxSOSUpgrade : public AudioBoxUpgrade
{
    Q_OBJECT
public:
    explicit AudioBoxSOSUpgrade(QObject *parent = nullptr);
    void setDownloadFolder(const QString &otaFolder) override;
};
