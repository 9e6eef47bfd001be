#pragma once

#include <QPointer>
#include <QRect>
#include <QSet>
#include <QString>
#include <QWidget>

#include "datastore/VelkIFPDevice.h"
#include "devices/DeviceCatalog.h"
#include "devices/Ui_Management.h"

class AlertRoad;
class AudioSystemHandler;
class DbReadRetry;
class CameraLink;
class DeleteManagementDialog;
class DeviceFormDialog;
class DeviceTableDelegate;
class DeviceTableModel;
class GeneralMsgDialog;
class ImportDialog;
class ManagementAddDevice;
class QTimer;
class ManagementAutoDetect;
class ManagementEditDevice;
class ManagementGroupDialog;
class ManagementShowIPInfo;
class OrvantaDBIntf;

/// The Devices tab of the Settings page: the managed devices of the page mode with search,
/// group filter and groups; devices are added by address or from the devices heard on the
/// network, edited, deleted, and imported from or exported to the device CSV file.
///
/// The page also owns the road of a panel's SOS (AlertRoad: the pending alerts, the event log,
/// the alarm) and shows the warning of each alert, and the link to the camera-management
/// program (CameraLink: its settings, notices, pairing and periodic check).
class Management : public QWidget, public Ui_Management
{
    Q_OBJECT
public:
    explicit Management(QWidget *parent = nullptr);
    ~Management() override;

    /// Lays the page out again for the current scale factor (true after a screen change).
    void updateLayout(bool rescale);
    /// Clears the search to its grey "Search" placeholder and reloads the device table.
    void resetSearchBox();
    /// Hides the filter pop-up and resets the filter button's look.
    void hideFilter();
    /// 1 shows audio boxes, every other value panels and control boxes.
    void setPageMode(int mode);
    int pageMode() const { return m_pageMode; }

    /// What the page says while it has no rows because the device list could not be read yet.
    static QString unreadableText();

    DeviceTableModel *deviceModel() const { return m_model; }
    ImportDialog *importDialog() const { return m_importDialog; }
    ManagementShowIPInfo *ipInfoDialog() const { return m_ipInfo; }
    ManagementAddDevice *addDeviceDialog() const { return m_addDialog; }
    ManagementEditDevice *editDeviceDialog() const { return m_editDialog; }
    ManagementAutoDetect *autoDetectDialog() const { return m_autoDetect; }
    ManagementGroupDialog *groupDialog() const { return m_groupDialog; }
    DeleteManagementDialog *deleteDialog() const { return m_deleteDialog; }
    GeneralMsgDialog *messageDialog() const { return m_message; }
    AlertRoad *alertRoad() const { return m_alertRoad; }
    CameraLink *cameraLink() const { return m_cameraLink; }

signals:
    void insertDB(VelkIFPDevice ifp);
    void updateDB(VelkIFPDevice ifp, QString lastDeviceName);
    void updateAllDB();
    void deleteDB(VelkIFPDevice ifp);
    void updateMultiUser();
    void deviceDeleted();
    void startAlert(bool enable);
    void restoreWindow();

public slots:
    /// A panel's SOS (CmdServer::safeAlert).
    void handleSafeAlert(QString macAddress);
    /// The operator answered the warning of that panel.
    void stopAlert(QString macAddress);
    /// The same for a panel known by its address alone, by the did of its device (CmdServer::safeAlertOfDevice).
    void stopAlertOfDevice(quint32 did);

    void clickSosSetting();
    void showCameraDialog(QString cameraName);
    void setDeviceInfo(QString name, QString mac);
    void showAccountErrorMessage(int type);
    void showDeviceErrorMessage(QString deviceName, QString ipAddress, QString account);
    void checkAccountDeviceChanged();
    void editSetting(int type, QString deviceName);
    void showNotificationDialog(int type);
    void reloadPtzCamera();
    void autoCheckPellmar(bool enable);

    void clickBtnImportList();
    /// The import wrote devices: reload and tell the other lists.
    void updateDeviceTable();
    /// The import created a device.
    void addDeviceSuccess(VelkIFPDevice device);

    void clickAddDevice();
    void clickAutoDetect();
    void clickGroups();
    void showFilter();
    /// Applies the search text (the search field's Return).
    void applySearch();
    /// Row actions of the table.
    void showIpInfo(int row);
    void editDevice(int row);
    void deleteDevice(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void confirmedDelete();
    void deviceAdded(VelkIFPDevice device);
    void devicesAdded(QList<VelkIFPDevice> devices);
    void deviceEdited(VelkIFPDevice device, QString lastDeviceName);
    void groupsChanged();
    void filterChosen(int row);
    void showWarning(VelkIFPDevice device);
    /// Brings every open warning up over the window, each restored and activated in turn.
    void raiseWarnings();
    void editDeviceNamed(const QString &deviceName);
    void cameraChosen(const QString &name, const QString &mac);

private:
    /// Reads the devices and groups again; false when the database refused, which leaves what an earlier read gave.
    bool reloadTable();
    QSet<QString> groupMembers(const QString &groupName) const;
    void scheduleReload();
    void deviceRecordsWritten();
    void refreshStatus();
    void fillFilterList();
    void layoutWidgets();
    void layoutColumns();
    void showMessage(const QString &text);
    /// Tells the window system that the warning belongs to the main window.
    void keepAboveWindow(QWidget *warning);

    OrvantaDBIntf *m_db;
    int m_pageMode = 0;
    double m_fontScale = 0.0;
    bool m_reloadScheduled = false;
    // Handshakes changed records while the page was hidden, or a refused read is to be tried again: read them when it
    // shows.
    bool m_rowsStale = false;
    // The last read of the devices was refused: the rows are those of an earlier read, or none at the page's start.
    bool m_unreadable = false;
    DbReadRetry *m_reread;
    QTimer *m_writtenTimer;
    DeviceCatalog m_catalog;
    DeviceTableModel *m_model;
    DeviceTableDelegate *m_delegate;
    VelkIFPDevice m_pendingDelete;
    QRect m_hoverCell;

    ImportDialog *m_importDialog;
    ManagementShowIPInfo *m_ipInfo;
    DeleteManagementDialog *m_deleteDialog;
    GeneralMsgDialog *m_message;
    ManagementAddDevice *m_addDialog;
    ManagementEditDevice *m_editDialog;
    ManagementAutoDetect *m_autoDetect;
    ManagementGroupDialog *m_groupDialog;
    /// The add or edit dialog whose camera button opened the pairing dialog.
    QPointer<DeviceFormDialog> m_cameraAsker;

    AudioSystemHandler *m_unmuter;
    AlertRoad *m_alertRoad;
    /// The warnings shown, oldest first; an answered one goes away by itself.
    QList<QPointer<QWidget>> m_warnings;
    CameraLink *m_cameraLink;
};
