#include "broadcast/BroadcastSetting.h"

#include "broadcast/BroadcastContentEditor.h"
#include "broadcast/BroadcastManager.h"
#include "broadcast/BroadcastMessageDialog.h"
#include "broadcast/BroadcastSaveDialog.h"
#include "broadcast/BroadcastSchedule.h"
#include "datastore/OrvantaDBManager.h"
#include "platform/LogLevel.h"
#include "shell/base/Log.h"
#include "shell/base/Session.h"
#include "shell/kit/DialogPlacementRule.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

#include <QCloseEvent>

BroadcastSetting::BroadcastSetting(QWidget *parent, Clock *clock, SoundPlayer *player) : QDialog(parent)
{
    setWindowFlags(Qt::WindowCloseButtonHint);
    setupUi(this);
    setWindowTitle(productName());
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setModal(true);

    // The content step first: constructing it puts the built-in sounds into the Audio folder.
    m_contentEditor = new BroadcastContentEditor(nullptr, player);
    m_scheduleStep = new BroadcastSchedule(nullptr, clock);
    stackedWidgetBroadcastSetting->addWidget(m_contentEditor);
    stackedWidgetBroadcastSetting->addWidget(m_scheduleStep);
    database = OrvantaDBManager::getInstance();

    connect(m_scheduleStep, &BroadcastSchedule::emitBtnNextClicked, this, &BroadcastSetting::scheduleNextClicked);
    connect(m_contentEditor, &BroadcastContentEditor::backClicked, this, &BroadcastSetting::contentEditorBackClicked);
    connect(m_contentEditor, &BroadcastContentEditor::addBroadcast, this,
            &BroadcastSetting::contentEditorAddBroadcastClicked);

    m_saveDialog = new BroadcastSaveDialog(this);
    m_saveDialog->setTitle(tr("Save your changes?"));
    m_saveDialog->setText(tr("You have not finished yet, do you want to save your changes?"));
    m_saveDialog->setSaveButtonText(tr("Save"));
    m_saveDialog->setDiscardButtonText(tr("Discard Changes"));
    m_failureDialog = new BroadcastMessageDialog(this);

    const int half = ScaleMath::truncScaled(154, getScaleFactor());
    setElidedLabelText(labelSelect, tr("Select Devices & Date"), half);
    setElidedLabelText(labelEdit, tr("Edit Content"), half);
    widgetTitleText->show();
    setStepTitleStyle(1);
}

BroadcastSetting::~BroadcastSetting() = default;

QList<VelkIFPDevice> BroadcastSetting::getSupportedDeviceList()
{
    return m_scheduleStep->getSupportedDeviceList();
}

void BroadcastSetting::setStepTitleStyle(int step)
{
    if (step != 0 && step != 1)
        return;
    const bool rightToLeft = uiLayoutDirection() == Qt::RightToLeft;
    const bool firstBar = (step == 1) != rightToLeft;
    frameTitle->setStyleSheet(QStringLiteral("QFrame#frameTitle {background-color:#2F2F2F;border-image: "
                                             "url(:/resource/broadcast/%1);}")
                                  .arg(firstBar ? QStringLiteral("bar_1.png") : QStringLiteral("bar_2.png")));
    const QString current = QStringLiteral("QLabel {color : #f7e195;font-family:Arial; }");
    const QString other = QStringLiteral("QLabel {color : #666666;font-family:Arial; }");
    labelSelect->setStyleSheet(step == 1 ? current : other);
    labelEdit->setStyleSheet(step == 1 ? other : current);
}

void BroadcastSetting::newBroadcast()
{
    isEditing = false;
    isSavedByAdd = false;
    broadcast = VelkBroadcast();
    m_contentEditor->resetContent();
    m_scheduleStep->newBroadcast();
    setStepTitleStyle(1);
    stackedWidgetBroadcastSetting->setCurrentWidget(m_scheduleStep);
}

void BroadcastSetting::editBroadcast(VelkBroadcast stored)
{
    isEditing = true;
    isSavedByAdd = false;
    broadcast = stored;
    m_contentEditor->loadBroadcast(stored);
    m_scheduleStep->loadBroadcast(stored);
    setStepTitleStyle(1);
    stackedWidgetBroadcastSetting->setCurrentWidget(m_scheduleStep);
}

void BroadcastSetting::scheduleNextClicked(bool isHaveControlBox, bool isHaveAudioDevice)
{
    setStepTitleStyle(0);
    stackedWidgetBroadcastSetting->setCurrentWidget(m_contentEditor);
    m_contentEditor->setAudioBoxMode(isHaveControlBox, isHaveAudioDevice);
    m_contentEditor->setTargetsWithoutMac(m_scheduleStep->targetsWithoutMac());
}

void BroadcastSetting::contentEditorBackClicked()
{
    setStepTitleStyle(1);
    stackedWidgetBroadcastSetting->setCurrentWidget(m_scheduleStep);
}

bool BroadcastSetting::save(VelkBroadcast::Status status)
{
    broadcast.status = status;
    const VelkBroadcast content = m_contentEditor->fillBroadcast();
    broadcast.displayType = content.displayType;
    broadcast.contentText = content.contentText;
    broadcast.audioSelection = content.audioSelection;
    broadcast.displayedAudioFilename = content.displayedAudioFilename;
    broadcast.savedAudioFilename = content.savedAudioFilename;
    broadcast.wakeOnLan = content.wakeOnLan;
    broadcast.repeat = content.repeat;
    broadcast.durationMin = content.durationMin;
    broadcast.durationSec = content.durationSec;
    const VelkBroadcast schedule = m_scheduleStep->getBroadcastData();
    broadcast.target = schedule.target;
    broadcast.isNow = schedule.isNow;
    broadcast.startDate = schedule.startDate;
    broadcast.time = schedule.time;
    broadcast.repeatSun = schedule.repeatSun;
    broadcast.repeatMon = schedule.repeatMon;
    broadcast.repeatTue = schedule.repeatTue;
    broadcast.repeatWed = schedule.repeatWed;
    broadcast.repeatThu = schedule.repeatThu;
    broadcast.repeatFri = schedule.repeatFri;
    broadcast.repeatSat = schedule.repeatSat;
    broadcast.devices = schedule.devices;
    broadcast.groups = schedule.groups;
    const quint32 rc = isEditing ? database->updateBroadcast(broadcast) : database->insertBroadcast(broadcast);
    if (rc != DB_OK) {
        writeLog(LOG_LEVEL_ERROR, isEditing ? "scheduleAddBroadcastClicked, updateBroadcast error"
                                            : "scheduleAddBroadcastClicked, insertBroadcast error");
        // Closing as if it had worked would show "Broadcast Saved" for a broadcast that is not there.
        m_failureDialog->setMessage(
            database->lastFailure() == DbFailure::DiskFull ? tr("The broadcast was not saved: the disk is full.")
            : database->refusedForNow()
                ? tr("The broadcast was not saved: the database is in use by another program. Try again later.")
                : tr("The broadcast could not be saved."));
        DialogPlacementRule::centreOnScreenOf(m_failureDialog, this);
        m_failureDialog->show();
        return false;
    }
    // The stored broadcast is now what was edited: a later save of this dialog updates it.
    isEditing = true;
    m_contentEditor->applyFileChanges();
    return true;
}

void BroadcastSetting::contentEditorAddBroadcastClicked()
{
    if (!save(VelkBroadcast::Upcoming))
        return;
    isSavedByAdd = true;
    close();
    emit broadcastSettingSavedSuccess(broadcast);
}

void BroadcastSetting::closeEvent(QCloseEvent *event)
{
    BroadcastTask running;
    running.broadcast.bid = broadcast.bid;
    if (isEditing && broadcast.bid != 0 && BroadcastManager::getInstance()->isBroadcastTaskRunning(running)) {
        m_contentEditor->stopAudioPreview();
        m_contentEditor->discardFileChanges();
        QDialog::closeEvent(event);
        return;
    }
    if (!isSavedByAdd) {
        DialogPlacementRule::centreOnScreenOf(m_saveDialog, this);
        if (m_saveDialog->exec() == QDialog::Accepted) {
            // A refused save keeps the editor open with what was entered, beside the failure message.
            if (!save(VelkBroadcast::Pending)) {
                event->ignore();
                return;
            }
            emit broadcastSettingSavedSuccess(broadcast);
        } else {
            m_contentEditor->discardFileChanges();
        }
    }
    m_contentEditor->stopAudioPreview();
    QDialog::closeEvent(event);
}

void BroadcastSetting::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
}

void BroadcastSetting::scaleUi(bool rescale)
{
    const double factor = m_scale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    setFixedSize(ScaleMath::truncScaled(width(), factor), ScaleMath::truncScaled(height(), factor));
    for (QWidget *widget :
         {static_cast<QWidget *>(frameTitle), widgetTitleText, static_cast<QWidget *>(stackedWidgetBroadcastSetting)})
        scaleWidgetGeometry(widget, factor);
    scaleWidgetFonts(frameTitle, factor, rescale, false);
    if (rescale) {
        m_contentEditor->scaleUi(true);
        m_scheduleStep->scaleUi(true);
    }
}
