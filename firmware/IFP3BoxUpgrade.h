#pragma once

#include "firmware/BoxManifest.h"
#include "firmware/IFPUpgrade.h"
#include "firmware/UpdateRoutes.h"

/// The upgrader of the control boxes "Velk TM7-B" (and, through IFP3Box2Upgrade, "Velk ZN-640"). The update
/// server's "manifest.xml" lists delta packages from one version to the next; a box several versions behind walks
/// its route one package and one installation at a time.
///
/// A run proceeds in passes: each pass takes the oldest version (and its SKU) among the boxes still to update,
/// downloads the package of that step once, and moves every box of exactly that version and SKU one step, at most
/// three at a time. A box that reaches the end of its route, or fails, leaves the run; the others go on in a later
/// pass with their new version.
///
/// The manifest is read once, when it arrives, and kept in memory: a check that downloads it again never changes
/// it under a running pass.
class IFP3BoxUpgrade : public IFPUpgrade
{
    Q_OBJECT
public:
    enum RequestKind
    {
        TASK_OPS_VERSION = 1,
        TASK_OPS_FILE = 2,
        TASK_PANEL_VERSION = 3,
        TASK_PANEL_FILE = 4
    };

    explicit IFP3BoxUpgrade(QObject *parent = nullptr);

    void setDownloadFolder(const QString &otaFolder) override;
    void checkOldDeviceInfo() override;
    void getOtaServerInfo() override;
    void abandonCheck() override;
    void cancelOta() override;
    void transferFileComplete(const QString &mac, bool success, bool skipRetry) override;
    void otaFinished(const QString &mac, bool success) override;
    int compareVersions(const QString &a, const QString &b) const override { return compareVersion(a, b); }

    static int compareVersion(const QString &a, const QString &b);
    const UpdateRoutes &routes() const { return updateRoutes; }

protected slots:
    void downloadFinished(QString filename, bool success) override;

protected:
    void startOta() override;
    /// Reads the downloaded manifest, builds the routes and answers the version check.
    void parseManifest(const QString &filePath);
    /// Ends the run after an error: every device still in the run fails, the files of the run are removed.
    virtual void stopOta();
    /// Sorts out the devices a pass cannot take (no version, no route, already at the end of the route) and finds
    /// the oldest version with its SKU; false when nothing is left to update.
    bool findOldest(QString *oldest, QString *sku, bool requirePanelVersion);
    /// Chooses the package of the step from `fromVersion` on the pass's route and asks for it; false (the run
    /// stopped) when there is none or the download was refused.
    bool getDeltaFile(const QString &fromVersion, const QString &sku);
    /// The download of a package or image ended; `filePath` is what a batch device is sent.
    bool takeDownload(const QString &filename, bool success, QString *filePath);
    void resumeDevice(VelkIFPDevice *device) override;

    QString packageFileName = QStringLiteral("Velkupdate-3.zip");
    QString deltaFilePath;
    QVector<ManifestPackage> packages; ///< of this model, from the last manifest read
    UpdateRoutes updateRoutes;
    int currentUpdateRouteIndex = -1;
};
