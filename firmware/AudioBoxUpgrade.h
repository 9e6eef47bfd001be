#pragma once

#include "firmware/IFPUpgrade.h"

/// The upgrader of the streaming audio boxes. The download server's "update.cfg" names, per model, the newest
/// firmware version and its file; a run downloads that one file and sends it to at most three boxes at a time,
/// starts the installation on each and collects the results, each result letting the next waiting box in.
///
/// One instance per model key: "QML8" here, "QML8_SOS" in AudioBoxSOSUpgrade, and four further instances whose
/// key and folder the manager sets ("QMR8", "QMR8_SOS", "QMR8V2", "QMR8V2_SOS").
class AudioBoxUpgrade : public IFPUpgrade
{
    Q_OBJECT
public:
    enum RequestKind
    {
        FW_VERSION = 1,
        FW_FILE = 2
    };

    explicit AudioBoxUpgrade(QObject *parent = nullptr);

    void setDownloadFolder(const QString &otaFolder) override;
    void checkOldDeviceInfo() override;
    void getOtaServerInfo() override;
    void abandonCheck() override;
    void cancelOta() override;
    void transferFileComplete(const QString &mac, bool success, bool skipRetry) override;
    void otaFinished(const QString &mac, bool success) override;
    int compareVersions(const QString &a, const QString &b) const override { return compareFwVersion(a, b); }

    static int compareFwVersion(const QString &a, const QString &b);
    /// Reads the downloaded update configuration and answers the version check.
    void parseUpdateConfig(const QString &filePath);

protected slots:
    void downloadFinished(QString filename, bool success) override;

protected:
    void startOta() override;
    /// Ends the run after the firmware file could not be had: every device still in the run fails.
    void stopOta();
    void resumeDevice(VelkIFPDevice *device) override;
    QString stepVersion() const override { return newestFwVersion; }

private:
    bool versionUsable(const VelkIFPDevice *device) const;

    QString fwFileUrl;
    QString fwFilePath;
};
