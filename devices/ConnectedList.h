#pragma once

#include <QHash>
#include <QList>
#include <QSize>
#include <QString>
#include <QWidget>

#include "datastore/VelkGroups.h"
#include "datastore/VelkIFPDevice.h"
#include "devices/DeviceControlModel.h"
#include "devices/Ui_ConnectedList.h"

class ConnectedItem;
class DbReadRetry;
class DeviceChannel;
class EventLogDialog;
class GeneralMsgDialog;
class PowerOnDialog;
class QListWidgetItem;
class QTimer;

/// The Device Control page: every managed device with its live state (online, offline, locked, taken over),
/// filtered by group, with power on, power off and reboot for the chosen devices and the way to the event log.
///
/// The page keeps the command server's list of managed devices equal to the data store: it hands the server the
/// store's list when it is created and after every change the device-management page reports. It starts the
/// account synchronisation of every capable panel that connects, and on an administrator console it warns when
/// another console took a panel over; a click on such a device clears the mark.
class ConnectedList : public QWidget, public Ui_ConnectedList
{
    Q_OBJECT
public:
    explicit ConnectedList(QWidget *parent = nullptr);
    ~ConnectedList() override;

    /// Sets the list's icon size and item icons for the current scale factor.
    void adjustIconSize(bool rescale);
    /// Refills the group list ("All" and the groups), shows all devices again and refreshes the items' icons.
    void setupGroupCombo();

    // For the tests and the screenshots: the state behind the widgets.
    const DeviceControlModel &model() const { return m_model; }
    ConnectedItem *itemByName(const QString &deviceName) const;
    ConnectedItem *itemByKey(quint32 key) const { return m_items.value(key); }
    /// The keys of the chosen devices the filter shows.
    QList<quint32> chosenKeys() const;
    GeneralMsgDialog *kickWarning() const { return kickDialog; }
    PowerOnDialog *powerOnQuestion() const { return powerOnDialog; }

signals:
    void navigateToManagement();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    void insertDB(VelkIFPDevice ifp);
    void updateDB(VelkIFPDevice ifp, QString lastDeviceName);
    void updateAllDB();
    void deleteDB(VelkIFPDevice ifp);
    /// Sends the password to every connected panel, also those the group filter hides, then makes it the control
    /// password of later panel handshakes.
    void passWordChange(QString password);
    void btnEventLogClicked();
    /// Every panel that passed its handshake: a capable one starts its account synchronisation at once.
    void newConnection(DeviceChannel *channel);

    /// Asks before waking the chosen offline devices.
    void powerOnClicked();
    void powerOffClicked();
    void rebootClicked();

private slots:
    void groupChange(int index);
    void powerOnConfirmed();
    void onKick(const QString &mac);
    void onItemClicked(QListWidgetItem *item);
    void selectAllClicked();
    void refreshStates();
    void flushInserts();

private:
    enum class Edit
    {
        None,
        Insert,
        Update,
        Delete
    };

    /// Reads the devices from the data store and follows them; when the store cannot be read, applies the one edit
    /// the caller was told about instead. Then hands the list to the command server, unless the page never read it.
    /// Returns whether the store could be read.
    bool reloadDevices(const char *caller, Edit edit = Edit::None, const VelkIFPDevice &device = VelkIFPDevice(),
                       const QString &lastDeviceName = QString());
    void applyDiff(const DeviceControlModel::Diff &diff);
    void applyVisibility(const QList<quint32> &keys);
    /// Applies the chosen group again (its members may have changed).
    void applyFilter();
    void publishManagedDevices();
    void scheduleStateRefresh();
    void clearKick(quint32 key);
    void updateSummary();
    void applyMetrics();
    void layoutCells();
    void scaleFonts();

    DeviceControlModel m_model;
    // The model was read from the store once: before that, it is not the list of managed devices.
    bool m_modelRead = false;
    // A read the store refused for now (another program holds it exclusively) is read again once it gives it: a page
    // built during the hold would otherwise stay empty until an unrelated change.
    DbReadRetry *m_reread = nullptr;
    QHash<quint32, ConnectedItem *> m_items;
    QList<VelkGroups> m_groups;
    int m_groupIndex = 0;
    QSize m_cellSize; // the smallest cell at the current scale
    int m_cellMargin = 0;
    QSize m_itemSize;
    QTimer *stateTimer = nullptr;
    // Devices reported by insertDB and not yet followed: an import reports each device it creates, and one reload
    // after the burst stands in for a reload per device.
    QList<VelkIFPDevice> m_pendingInserts;
    QTimer *insertTimer = nullptr;
    EventLogDialog *eventLogDialog = nullptr;
    GeneralMsgDialog *kickDialog = nullptr;
    PowerOnDialog *powerOnDialog = nullptr;
};
