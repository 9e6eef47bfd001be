#pragma once

#include "firmware/IFP3BoxUpgrade.h"
#include "firmware/PanelManifest.h"

#include <QMap>

/// The transfer plan of one panel of the batch.
struct OtaTransferInfo
{
    QString currentFile;        ///< being sent now; empty when none is under way
    QString pendingFile;        ///< to send when the current one succeeded
    int upgradeType = 0;        ///< 0: the OS package alone; 1: with the panel image
    int remainingFileCount = 1; ///< files still to transfer
    int fileRetryCount = 0;     ///< resends of the current file
};

/// The upgrader of the panels "Velk TM B-Series". A panel carries the OS firmware, updated step by step like a
/// control box, and the panel firmware, one image per panel size and variant ("manifest_panel.xml"). Each round
/// moves the panels of the oldest OS version one step; those whose panel version code differs from the one that
/// goes with the step's target get the image too (upgrade type 1), in groups of one size and OC code, the smallest
/// size first; the panels that need the OS package alone follow last (type 0).
class IFP3Upgrade : public IFP3BoxUpgrade
{
    Q_OBJECT
public:
    explicit IFP3Upgrade(QObject *parent = nullptr);

    void setDownloadFolder(const QString &otaFolder) override;
    void getOtaServerInfo() override;
    void abandonCheck() override;
    void cancelOta() override;
    void transferFileComplete(const QString &mac, bool success, bool skipRetry) override;
    void otaFinished(const QString &mac, bool success) override;
    QString lookupPanelVersion(const QString &version) const override;

protected slots:
    void downloadFinished(QString filename, bool success) override;

protected:
    void startOta() override;
    void stopOta() override;

private:
    void manifestArrived(const QString &filename, bool success, bool panel);
    /// The smallest panel size code among the panels still waiting for an image, as they spell it.
    QString findSmallestPanelSizeCodeString() const;
    /// The next image group: panels of that size code and of the OC code of the first of them.
    QList<VelkIFPDevice *> findSmallestPanelToDoOta(const QString &sizeCode);
    /// Forms the batch of a group and gives every panel of it its transfer plan.
    void startGroup(const QList<VelkIFPDevice *> &group);
    /// Asks for the panel image of the current group; false (the run stopped) when it cannot be had.
    bool getPanelFile(const QString &sizeCode);
    void sendFileToDevices(const QString &filePath);
    void sendPlanned(VelkIFPDevice *device, OtaTransferInfo &info);
    /// A batch device's plan for the group from the start, with the group's files that are on disk; the first of
    /// them is sent.
    void planFromStart(VelkIFPDevice *device);
    void resumeDevice(VelkIFPDevice *device) override;
    void forgetDevice(VelkIFPDevice *device) override;

    QString panelFileName = QStringLiteral("MstarUpgrade.img");
    PanelManifest panelManifest; ///< from the last check, kept like the OS manifest
    QString panelManifestPath;
    QString opsManifestPath;
    int pendingManifestCount = 0;
    bool manifestFailureReported = false;
    QMap<QString, OtaTransferInfo> transferInfoMap;
    QString currentOldestVersion;
    QString currentMatchedPanelVersion;
    QString panelFilePath;
    bool withPanelFirmware = false;
    QList<VelkIFPDevice *> currentOldestOpsDeviceList;
    QList<VelkIFPDevice *> currentOldPanelDeviceList;
};
