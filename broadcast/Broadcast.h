#pragma once

#include "broadcast/BroadcastScheduler.h"
#include "broadcast/BroadcastTask.h"
#include "broadcast/BroadcastWidget.h"
#include "broadcast/Ui_Broadcast.h"
#include "datastore/VelkBroadcast.h"
#include "shell/kit/FormScale.h"

#include <QFrame>
#include <QPointer>
#include <QTimer>

class BroadcastManager;
class BroadcastMessageDialog;
class BroadcastReportDialog;
class BroadcastSetting;
class Clock;
class ConfirmDialog;
class OrvantaDBIntf;
class QAction;
class QMenu;
class SoundPlayer;

/// The Broadcast page: pending, upcoming and completed broadcasts in three tabs, one row each, with the row menus
/// (edit, delete, duplicate, move to pending, report), the audio preview of a row and "Add Broadcast". Its
/// scheduler starts the upcoming broadcasts on time; the page only shows what the scheduler holds.
class Broadcast : public QFrame, public Ui_Broadcast
{
    Q_OBJECT

public:
    explicit Broadcast(QWidget *parent = nullptr);
    /// With its time and its preview player given (tests); the page owns neither.
    Broadcast(Clock *clock, SoundPlayer *player, QWidget *parent = nullptr);
    ~Broadcast() override;

    /// Scales the tables, column widths, row heights and row widgets.
    void scaleUi(bool rescale);

    // What tests look at.
    BroadcastScheduler *scheduler() const { return m_scheduler; }
    BroadcastSetting *editor() const { return broadcastSetting; }
    BroadcastReportDialog *reportDialog() const { return broadcastReportDialog; }
    ConfirmDialog *confirmDialog() const { return confirmDeleteDialog; }
    /// Why a row action changed nothing.
    BroadcastMessageDialog *messageDialog() const { return m_messageDialog; }
    QTableWidget *table(VelkBroadcast::Status status) const;
    QFrame *guide(VelkBroadcast::Status status) const;
    BroadcastWidget *row(VelkBroadcast::Status status, int index) const;
    /// The row's menu action of that id (see the menu table in broadcastTriggerMenuAction).
    QAction *rowAction(VelkBroadcast::Status status, int index, int actionId) const;
    BroadcastWidget *playingRow() const { return playingWidget; }

    /// "Just Now", or the weekday, date and time of the next start.
    QString relativeDateText(const VelkBroadcast &broadcast) const;
    /// The device or group names, comma separated.
    static QString prepareTargetText(const VelkBroadcast &broadcast);

public slots:
    /// Stops the audio preview and rebuilds the broadcast lists from the data store.
    void deviceDeleted();

private slots:
    void btnPendingClicked();
    void btnUpcomingClicked();
    void btnCompletedClicked();
    void btnAddBroadcastClicked();
    void broadcastSettingSavedSuccess(VelkBroadcast broadcast);
    void hideMessage();
    void audioButtonClicked(VelkBroadcast::Status relatedBroadcastStatus, int indexOfBroadcastList,
                            BroadcastWidget *broadcastWidget);
    void broadcastTriggerMenuAction(QAction *action);
    void confirmDeleteBroadcast();
    void soundFinished();
    void soundFailed(const QString &reason);

private:
    void setUp();
    void selectTab(QToolButton *tab, QWidget *page);
    void refreshTables();
    void refreshTable(VelkBroadcast::Status status, const QList<VelkBroadcast> &broadcasts, const QList<bool> &started);
    QString completedDateText(const VelkBroadcast &broadcast) const;
    QString weekdayText(const QDate &date) const;
    void showCentred(QWidget *dialog);
    void triggerEditBroadcast(const VelkBroadcast &broadcast);
    void triggerDuplicateBroadcast(const VelkBroadcast &broadcast);
    void triggerMoveBroadcast(VelkBroadcast &broadcast);
    void showDeleteConfirmDialog(const VelkBroadcast &broadcast);
    /// Tells the operator why a row action changed nothing (the lists show what is stored): the first text when
    /// another program holds the database, the second when the disk is full, the third for any other failure.
    void tellIfRefused(BroadcastScheduler::Change change, const QString &refusedForNow, const QString &diskFull,
                       const QString &failed);
    void showBroadcastReportDialog(const VelkBroadcast &broadcast);
    void resetAudioPlayback();

    QString selectedTabStyle;
    QString normalTabStyle;
    BroadcastSetting *broadcastSetting = nullptr;
    OrvantaDBIntf *dbIntf = nullptr;
    QTimer messageTimer;
    ConfirmDialog *confirmDeleteDialog = nullptr;
    BroadcastMessageDialog *m_messageDialog = nullptr;
    uint deleteBid = 0;
    Clock *m_clock;
    SoundPlayer *m_player;
    QPointer<BroadcastWidget> playingWidget;
    BroadcastManager *broadcastManager = nullptr;
    BroadcastScheduler *m_scheduler = nullptr;
    BroadcastReportDialog *broadcastReportDialog = nullptr;
    FormScale m_scale;
};
