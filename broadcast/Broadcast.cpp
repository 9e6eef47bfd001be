#include "broadcast/Broadcast.h"

#include "broadcast/BroadcastAudio.h"
#include "broadcast/BroadcastManager.h"
#include "broadcast/BroadcastMessageDialog.h"
#include "broadcast/BroadcastReportDialog.h"
#include "broadcast/BroadcastScheduler.h"
#include "broadcast/BroadcastSetting.h"
#include "broadcast/BroadcastWidget.h"
#include "datastore/OrvantaDBManager.h"
#include "platform/LogLevel.h"
#include "platform/audio/MediaSoundPlayer.h"
#include "shell/base/Clock.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"
#include "shell/kit/ConfirmDialog.h"
#include "shell/kit/DialogPlacementRule.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

#include <QFileInfo>
#include <QMenu>

namespace {

// Row menu actions: (table, id) as the menu's QAction data carries them with the row.
enum MenuAction
{
    PendingEdit = 0,
    PendingDelete = 1,
    PendingDuplicate = 2,
    UpcomingEdit = 3,
    UpcomingDelete = 4,
    UpcomingDuplicate = 5,
    UpcomingMove = 6,
    CompletedReport = 7,
    CompletedDuplicate = 8,
    CompletedDelete = 9
};

constexpr int kRowHeight = 72;

const char kMenuStyle[] = "QMenu::item:normal{background-color:#ffffff;color:#000000;}"
                          "QMenu::item:selected{background-color:#f7e195;color:#000000;}"
                          "QMenu::item:disabled{background-color:#ffffff;color:#808080;}";

} // namespace

Broadcast::Broadcast(QWidget *parent) : Broadcast(Clock::system(), nullptr, parent)
{
}

Broadcast::Broadcast(Clock *clock, SoundPlayer *player, QWidget *parent)
    : QFrame(parent), m_clock(clock), m_player(player ? player : new MediaSoundPlayer(this))
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    setUp();
}

Broadcast::~Broadcast()
{
    delete broadcastSetting;
    delete broadcastReportDialog;
}

void Broadcast::setUp()
{
    // As wide as its text in the language shown, keeping its right edge.
    const int right = btnAddBroadcast->geometry().right();
    btnAddBroadcast->resize(qMax(120, btnAddBroadcast->sizeHint().width()), btnAddBroadcast->height());
    btnAddBroadcast->move(right - btnAddBroadcast->width() + 1, btnAddBroadcast->y());
    scaleUi(false);
    selectedTabStyle =
        QStringLiteral("color: #edd994;border: none;border-image: url(:/resource/broadcast/bg_underline_2.png);");
    normalTabStyle = QStringLiteral("color: #bfbfbf;border: none;");
    btnPending->setStyleSheet(selectedTabStyle);
    btnUpcoming->setStyleSheet(normalTabStyle);
    btnCompleted->setStyleSheet(normalTabStyle);
    stackedWidget->setCurrentWidget(pagePending);
    labelMessage->hide();
    connect(btnPending, &QToolButton::clicked, this, &Broadcast::btnPendingClicked);
    connect(btnUpcoming, &QToolButton::clicked, this, &Broadcast::btnUpcomingClicked);
    connect(btnCompleted, &QToolButton::clicked, this, &Broadcast::btnCompletedClicked);
    connect(btnAddBroadcast, &QToolButton::clicked, this, &Broadcast::btnAddBroadcastClicked);
    for (QTableWidget *t : {tableWidgetPending, tableWidgetUpcoming, tableWidgetCompleted}) {
        t->setEditTriggers(QAbstractItemView::NoEditTriggers);
        t->setSelectionMode(QAbstractItemView::NoSelection);
        t->setFocusPolicy(Qt::NoFocus);
        t->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        t->setColumnCount(1);
        t->setColumnWidth(0, t->width() - 2);
    }
    broadcastSetting = new BroadcastSetting(nullptr, m_clock);
    connect(broadcastSetting, &BroadcastSetting::broadcastSettingSavedSuccess, this,
            &Broadcast::broadcastSettingSavedSuccess);
    dbIntf = OrvantaDBManager::getInstance();
    messageTimer.setSingleShot(true);
    connect(&messageTimer, &QTimer::timeout, this, &Broadcast::hideMessage);
    confirmDeleteDialog = new ConfirmDialog(this);
    connect(confirmDeleteDialog, &ConfirmDialog::confirmed, this, &Broadcast::confirmDeleteBroadcast);
    m_messageDialog = new BroadcastMessageDialog(this);
    connect(m_player, &SoundPlayer::finished, this, &Broadcast::soundFinished);
    connect(m_player, &SoundPlayer::failed, this, &Broadcast::soundFailed);

    broadcastManager = BroadcastManager::getInstance();
    m_scheduler = new BroadcastScheduler(
        dbIntf, broadcastManager, m_clock, BroadcastAudio::folder(),
        [this] { return broadcastSetting->getSupportedDeviceList(); }, this);
    connect(m_scheduler, &BroadcastScheduler::aboutToRefresh, this, &Broadcast::resetAudioPlayback);
    connect(m_scheduler, &BroadcastScheduler::refreshed, this, &Broadcast::refreshTables);
    broadcastReportDialog = new BroadcastReportDialog();
    m_scheduler->start();
}

QTableWidget *Broadcast::table(VelkBroadcast::Status status) const
{
    switch (status) {
    case VelkBroadcast::Pending:
        return tableWidgetPending;
    case VelkBroadcast::Upcoming:
        return tableWidgetUpcoming;
    default:
        return tableWidgetCompleted;
    }
}

QFrame *Broadcast::guide(VelkBroadcast::Status status) const
{
    switch (status) {
    case VelkBroadcast::Pending:
        return guideWidgetBroadcastPending;
    case VelkBroadcast::Upcoming:
        return guideWidgetBroadcastUpcoming;
    default:
        return guideWidgetBroadcastCompleted;
    }
}

BroadcastWidget *Broadcast::row(VelkBroadcast::Status status, int index) const
{
    return qobject_cast<BroadcastWidget *>(table(status)->cellWidget(index, 0));
}

QAction *Broadcast::rowAction(VelkBroadcast::Status status, int index, int actionId) const
{
    BroadcastWidget *widget = row(status, index);
    if (!widget || !widget->btnSetting->menu())
        return nullptr;
    for (QAction *action : widget->btnSetting->menu()->actions()) {
        if (action->data().toPoint().y() == actionId)
            return action;
    }
    return nullptr;
}

// --- tabs and tables -----------------------------------------------------------------------------------------------

void Broadcast::selectTab(QToolButton *tab, QWidget *page)
{
    if (stackedWidget->currentWidget() == page)
        return;
    for (QToolButton *button : {btnPending, btnUpcoming, btnCompleted})
        button->setStyleSheet(button == tab ? selectedTabStyle : normalTabStyle);
    stackedWidget->setCurrentWidget(page);
}

void Broadcast::btnPendingClicked()
{
    selectTab(btnPending, pagePending);
}

void Broadcast::btnUpcomingClicked()
{
    selectTab(btnUpcoming, pageUpcoming);
}

void Broadcast::btnCompletedClicked()
{
    selectTab(btnCompleted, pageCompleted);
}

void Broadcast::refreshTables()
{
    QList<VelkBroadcast> upcoming;
    QList<bool> started;
    for (const BroadcastTask &task : m_scheduler->taskList()) {
        upcoming.append(task.broadcast);
        started.append(task.started);
    }
    refreshTable(VelkBroadcast::Pending, m_scheduler->pendingList(), {});
    refreshTable(VelkBroadcast::Upcoming, upcoming, started);
    refreshTable(VelkBroadcast::Completed, m_scheduler->completedList(), {});
}

void Broadcast::refreshTable(VelkBroadcast::Status status, const QList<VelkBroadcast> &broadcasts,
                             const QList<bool> &started)
{
    guide(status)->setVisible(broadcasts.isEmpty());
    QTableWidget *t = table(status);
    t->clearContents();
    t->setRowCount(broadcasts.size());
    const int height = ScaleMath::truncScaled(kRowHeight, getScaleFactor());
    for (int i = 0; i < broadcasts.size(); ++i) {
        const VelkBroadcast &b = broadcasts.at(i);
        t->setRowHeight(i, height);
        auto *widget = new BroadcastWidget();
        const QString targets = prepareTargetText(b);
        if (b.displayType == 2) {
            widget->setRowStyle();
            widget->setContentText(targets);
        } else {
            widget->setContentText(b.contentText);
        }
        widget->labelTime->setText(status == VelkBroadcast::Completed ? completedDateText(b) : relativeDateText(b));
        widget->setTargetText(targets);
        widget->labelFailedCount->setText(status == VelkBroadcast::Completed && b.failedCount > 0
                                              ? QString::number(b.failedCount) + QLatin1Char(' ') + tr("Failed")
                                              : QString());
        widget->btnAudio->setVisible(b.audioSelection != 0);
        if (b.audioSelection != 0) {
            widget->connectAudioButton(status, i);
            connect(widget, &BroadcastWidget::audioButtonClicked, this, &Broadcast::audioButtonClicked);
        }

        auto *menu = new QMenu(widget);
        menu->setStyleSheet(QLatin1String(kMenuStyle));
        const auto add = [menu, i](const QString &text, int id, bool enabled) {
            QAction *action = menu->addAction(text);
            action->setData(QPoint(i, id));
            action->setEnabled(enabled);
        };
        const bool running = i < started.size() && started.at(i);
        switch (status) {
        case VelkBroadcast::Pending:
            add(tr("Edit"), PendingEdit, true);
            add(tr("Delete"), PendingDelete, true);
            add(tr("Duplicate"), PendingDuplicate, true);
            break;
        case VelkBroadcast::Upcoming:
            add(tr("Edit"), UpcomingEdit, !running);
            add(tr("Delete"), UpcomingDelete, true);
            add(tr("Duplicate"), UpcomingDuplicate, true);
            add(tr("Move to Pending"), UpcomingMove, !running);
            break;
        default:
            add(tr("Report"), CompletedReport, true);
            add(tr("Duplicate"), CompletedDuplicate, true);
            add(tr("Delete"), CompletedDelete, true);
            break;
        }
        connect(menu, &QMenu::triggered, this, &Broadcast::broadcastTriggerMenuAction);
        widget->btnSetting->setMenu(menu);
        t->setCellWidget(i, 0, widget);
    }
}

QString Broadcast::weekdayText(const QDate &date) const
{
    switch (date.dayOfWeek()) {
    case 1:
        return tr("Mon.");
    case 2:
        return tr("Tue.");
    case 3:
        return tr("Wed.");
    case 4:
        return tr("Thu.");
    case 5:
        return tr("Fri.");
    case 6:
        return tr("Sat.");
    case 7:
        return tr("Sun.");
    default:
        return QString();
    }
}

QString Broadcast::relativeDateText(const VelkBroadcast &b) const
{
    if (b.isNow)
        return tr("Just Now");
    const QDateTime next = m_scheduler->nextStartDateTime(b);
    return weekdayText(next.date()) + QLatin1Char(' ') + next.toString(QStringLiteral("yyyy-MM-dd")) +
           QLatin1Char(' ') + tr("at") + QLatin1Char(' ') + b.time;
}

QString Broadcast::completedDateText(const VelkBroadcast &b) const
{
    const QDate date = QDate::fromString(b.startDate, QStringLiteral("yyyy-MM-dd"));
    return weekdayText(date) + QLatin1Char(' ') + b.startDate + QLatin1Char(' ') + tr("at") + QLatin1Char(' ') + b.time;
}

QString Broadcast::prepareTargetText(const VelkBroadcast &b)
{
    QStringList names;
    if (b.target == 2) {
        for (const VelkIFPDevice &device : b.devices)
            names.append(device.deviceName);
    } else if (b.target == 3) {
        for (const VelkGroups &group : b.groups)
            names.append(group.groupName);
    }
    return names.join(QStringLiteral(", "));
}

// --- row actions ---------------------------------------------------------------------------------------------------

void Broadcast::broadcastTriggerMenuAction(QAction *action)
{
    const QPoint cell = action->data().toPoint();
    const int index = cell.x();
    const int id = cell.y();
    writeLog(LOG_LEVEL_INFO, "Broadcast::broadcastTriggerMenuAction, settingMenuAction: %d", id);
    const QList<VelkBroadcast> &pending = m_scheduler->pendingList();
    const QList<BroadcastTask> &tasks = m_scheduler->taskList();
    const QList<VelkBroadcast> &completed = m_scheduler->completedList();
    // Copies: every action may rebuild the lists.
    VelkBroadcast b;
    if (id <= PendingDuplicate && index < pending.size())
        b = pending.at(index);
    else if (id >= UpcomingEdit && id <= UpcomingMove && index < tasks.size())
        b = tasks.at(index).broadcast;
    else if (id >= CompletedReport && id <= CompletedDelete && index < completed.size())
        b = completed.at(index);
    else
        return;
    switch (id) {
    case PendingEdit:
    case UpcomingEdit:
        triggerEditBroadcast(b);
        break;
    case PendingDelete:
    case UpcomingDelete:
    case CompletedDelete:
        showDeleteConfirmDialog(b);
        break;
    case PendingDuplicate:
    case UpcomingDuplicate:
    case CompletedDuplicate:
        triggerDuplicateBroadcast(b);
        break;
    case UpcomingMove:
        triggerMoveBroadcast(b);
        break;
    case CompletedReport:
        showBroadcastReportDialog(b);
        break;
    default:
        break;
    }
}

void Broadcast::showCentred(QWidget *dialog)
{
    DialogPlacementRule::centreOnScreenOf(dialog, this);
    dialog->show();
}

void Broadcast::btnAddBroadcastClicked()
{
    resetAudioPlayback();
    broadcastSetting->newBroadcast();
    showCentred(broadcastSetting);
}

void Broadcast::triggerEditBroadcast(const VelkBroadcast &b)
{
    broadcastSetting->editBroadcast(b);
    showCentred(broadcastSetting);
}

void Broadcast::triggerDuplicateBroadcast(const VelkBroadcast &b)
{
    VelkBroadcast copy;
    const BroadcastScheduler::Change change = m_scheduler->duplicateBroadcast(b, &copy);
    if (change != BroadcastScheduler::Change::Made) {
        tellIfRefused(change,
                      tr("The broadcast was not duplicated: the database is in use by another program. Try again "
                         "later."),
                      tr("The broadcast was not duplicated: the disk is full."),
                      tr("The broadcast could not be duplicated."));
        return;
    }
    broadcastSetting->editBroadcast(copy);
    showCentred(broadcastSetting);
}

void Broadcast::triggerMoveBroadcast(VelkBroadcast &b)
{
    tellIfRefused(m_scheduler->moveToPending(b),
                  tr("The broadcast was not moved to Pending: the database is in use by another program. Try again "
                     "later."),
                  tr("The broadcast was not moved to Pending: the disk is full."),
                  tr("The broadcast could not be moved to Pending."));
}

void Broadcast::showDeleteConfirmDialog(const VelkBroadcast &b)
{
    deleteBid = b.bid;
    confirmDeleteDialog->setText(tr("Are you sure you want to delete this broadcast?"));
    showCentred(confirmDeleteDialog);
}

void Broadcast::confirmDeleteBroadcast()
{
    tellIfRefused(m_scheduler->deleteBroadcast(deleteBid),
                  tr("The broadcast was not deleted: the database is in use by another program. Try again later."),
                  tr("The broadcast was not deleted: the disk is full."), tr("The broadcast could not be deleted."));
}

void Broadcast::tellIfRefused(BroadcastScheduler::Change change, const QString &refusedForNow, const QString &diskFull,
                              const QString &failed)
{
    if (change == BroadcastScheduler::Change::Made)
        return;
    m_messageDialog->setMessage(change == BroadcastScheduler::Change::RefusedForNow ? refusedForNow
                                : change == BroadcastScheduler::Change::DiskFull    ? diskFull
                                                                                    : failed);
    showCentred(m_messageDialog);
}

void Broadcast::showBroadcastReportDialog(const VelkBroadcast &b)
{
    broadcastReportDialog->showBroadcastReport(b);
    showCentred(broadcastReportDialog);
}

void Broadcast::broadcastSettingSavedSuccess(VelkBroadcast broadcast)
{
    Q_UNUSED(broadcast)
    writeLog(LOG_LEVEL_INFO, "Broadcast::broadcastSettingSavedSuccess");
    labelMessage->setText(tr("Broadcast Saved"));
    labelMessage->show();
    labelMessage->raise();
    messageTimer.start(2000);
    m_scheduler->refreshBroadcastTables();
    m_scheduler->checkBroadcastTask();
}

void Broadcast::hideMessage()
{
    labelMessage->hide();
}

void Broadcast::deviceDeleted()
{
    m_scheduler->refreshBroadcastTables();
}

// --- audio preview -------------------------------------------------------------------------------------------------

void Broadcast::audioButtonClicked(VelkBroadcast::Status status, int index, BroadcastWidget *widget)
{
    if (widget && widget == playingWidget) {
        resetAudioPlayback();
        return;
    }
    resetAudioPlayback();
    VelkBroadcast b;
    if (status == VelkBroadcast::Pending && index < m_scheduler->pendingList().size())
        b = m_scheduler->pendingList().at(index);
    else if (status == VelkBroadcast::Upcoming && index < m_scheduler->taskList().size())
        b = m_scheduler->taskList().at(index).broadcast;
    else if (status == VelkBroadcast::Completed && index < m_scheduler->completedList().size())
        b = m_scheduler->completedList().at(index);
    else
        return;
    const QString name = BroadcastAudio::fileNameOf(b);
    const QString path = BroadcastAudio::pathIn(m_scheduler->audioFolder(), name);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !m_player->play(path, false)) {
        writeLog(LOG_LEVEL_WARNING, "Broadcast::audioButtonClicked, file not exists: %s", qPrintable(name));
        return;
    }
    widget->setAudioPlaying(true);
    playingWidget = widget;
}

void Broadcast::resetAudioPlayback()
{
    if (!playingWidget)
        return;
    m_player->stop();
    playingWidget->setAudioPlaying(false);
    playingWidget = nullptr;
}

void Broadcast::soundFinished()
{
    if (playingWidget)
        playingWidget->setAudioPlaying(false);
    playingWidget = nullptr;
}

void Broadcast::soundFailed(const QString &reason)
{
    writeLog(LOG_LEVEL_WARNING, "Broadcast: the preview cannot be played: %s", qPrintable(reason));
    soundFinished();
}

// --- scaling -------------------------------------------------------------------------------------------------------

void Broadcast::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    resize(ScaleMath::truncScaled(width(), factor), ScaleMath::truncScaled(height(), factor));
    QList<QWidget *> widgets = {Frame,
                                btnAddBroadcast,
                                labelLine_2,
                                btnCompleted,
                                labelLine,
                                btnUpcoming,
                                btnPending,
                                stackedWidget,
                                tableWidgetPending,
                                tableWidgetUpcoming,
                                tableWidgetCompleted,
                                labelMessage};
    for (QFrame *g : {guideWidgetBroadcastPending, guideWidgetBroadcastUpcoming, guideWidgetBroadcastCompleted}) {
        widgets.append(g);
        for (QLabel *label : g->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly))
            widgets.append(label);
    }
    for (QWidget *widget : qAsConst(widgets))
        scaleWidgetGeometry(widget, factor);
    btnAddBroadcast->setIconSize(btnAddBroadcast->iconSize() * factor);
    scaleWidgetFonts(this, factor, rescale, false);
    if (!rescale)
        return;
    const int height = ScaleMath::truncScaled(kRowHeight, getScaleFactor());
    for (QTableWidget *t : {tableWidgetPending, tableWidgetUpcoming, tableWidgetCompleted}) {
        t->setColumnWidth(0, t->width() - 2);
        for (int i = 0; i < t->rowCount(); ++i) {
            t->setRowHeight(i, height);
            if (auto *widget = qobject_cast<BroadcastWidget *>(t->cellWidget(i, 0)))
                widget->scaleUi(true);
        }
    }
}
