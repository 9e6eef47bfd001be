#pragma once

#include <QDialog>
#include <QList>
#include <QTimer>

#include "datastore/DbReadRetry.h"
#include "datastore/VelkIFPDevice.h"
#include "devices/AutoDetectModel.h"
#include "devices/Ui_ManagementAutoDetect.h"
#include "shell/kit/FormScale.h"

class OrvantaDBIntf;

/// Adds devices that the discovery responder heard and that are not managed yet.
///
/// While it is open the list follows the responder. A fleet powering up is heard at hundreds of new MACs a second, so
/// those changes are gathered and taken in at most once per refresh interval, and only the rows that changed are
/// touched (AutoDetectModel): what the operator typed, ticked, is editing or scrolled to stays put.
///
/// What is new is only known against the stored list of managed devices. While the database cannot give it (another
/// program holds it exclusively) the dialog offers nothing new, says so, and reads it again until it can.
class ManagementAutoDetect : public QDialog, public Ui_ManagementAutoDetect
{
    Q_OBJECT
public:
    ManagementAutoDetect(OrvantaDBIntf *db, QWidget *parent = nullptr);
    ~ManagementAutoDetect() override;

    /// Lists the unmanaged devices of the page mode (1 audio boxes, else panels).
    void prepare(int pageMode);
    /// The devices listed, in row order.
    QList<VelkIFPDevice> listedDevices() const { return m_model.devices(); }
    /// Ticks a row and names it, as the operator would.
    void chooseRow(int row, const QString &name);
    QString warningText() const;
    /// Said while the managed devices cannot be read, so nothing new can be told apart.
    static QString unreadableText();

    /// A name that fits the name rule, made from the model and the end of the MAC address, or the IP address for a
    /// device heard without a MAC.
    static QString suggestedName(const VelkIFPDevice &heard) { return AutoDetectModel::suggestedName(heard); }

    /// The shortest time between two refreshes that follow the responder (250 ms unless set).
    void setRefreshIntervalMs(int ms) { m_gather.setInterval(ms); }
    int refreshIntervalMs() const { return m_gather.interval(); }
    /// How many times the list was read since the dialog was made.
    int refreshCount() const { return m_refreshes; }

public slots:
    void refreshList();
    void addChosen();

signals:
    /// The devices stored by one "Add", each read back with its did.
    void devicesAdded(QList<VelkIFPDevice> devices);

protected:
    void showEvent(QShowEvent *event) override;
    /// Enter adds what is ticked (the form has no default push button), or presses the button that has the keyboard.
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void heardDevicesChanged();
    void applyChange(const AutoDetectModel::Change &change);
    void fillRow(int row);
    void setDeviceCells(int row);
    /// Widens the columns' needs to the row's texts.
    void noteWidths(int row);
    void nameItemChanged(QTableWidgetItem *item);
    void commitEditor();
    void showWarning(const QString &text);
    /// Shows or takes back the note that the managed devices cannot be read; another warning stays.
    void noteUnreadable(bool unreadable);
    void layoutColumns();
    void scaleUi(bool rescale);

    OrvantaDBIntf *m_db;
    int m_pageMode = 0;
    bool m_following = false;
    AutoDetectModel m_model;
    QTimer m_gather;
    DbReadRetry m_reread;
    // The last read of the managed devices failed: the rows are those of an earlier read, or none.
    bool m_unreadable = false;
    int m_refreshes = 0;
    // Each column's widest text listed since the dialog opened, as the table draws it.
    QList<int> m_needs{0, 0, 0, 0};
    FormScale m_scale;
};
