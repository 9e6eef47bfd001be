#include "broadcast/BroadcastSetting.h"

#include "broadcast/BroadcastAudio.h"
#include "broadcast/BroadcastCapability.h"
#include "datastore/OrvantaDBManager.h"
#include "platform/LogLevel.h"
#include "platform/audio/AudioFolder.h"
#include "shell/Clock.h"
#include "shell/Log.h"
#include "shell/UiGlobals.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

BroadcastSetting::BroadcastSetting(QWidget *parent) : QDialog(parent), database(OrvantaDBManager::getInstance())
{
    setWindowFlags(Qt::WindowCloseButtonHint);
    setWindowTitle(productName());
    setModal(true);
    resize(874, 571);
    AudioFolder::installBuiltInSounds(BroadcastAudio::folder());

    auto *layout = new QVBoxLayout(this);
    m_text = new QPlainTextEdit(this);
    m_devices = new QListWidget(this);
    m_broadcastButton = new QToolButton(this);
    m_broadcastButton->setText(tr("Broadcast"));
    layout->addWidget(m_text);
    layout->addWidget(m_devices);
    layout->addWidget(m_broadcastButton, 0, Qt::AlignRight);
    connect(m_broadcastButton, &QToolButton::clicked, this, &BroadcastSetting::contentEditorAddBroadcastClicked);
}

BroadcastSetting::~BroadcastSetting() = default;

QList<VelkIFPDevice> BroadcastSetting::getSupportedDeviceList()
{
    return BroadcastCapability::supportedDevices(database);
}

void BroadcastSetting::newBroadcast()
{
    isEditing = false;
    broadcast = VelkBroadcast();
    m_text->clear();
    fillDevices({});
}

void BroadcastSetting::editBroadcast(VelkBroadcast stored)
{
    isEditing = true;
    broadcast = stored;
    m_text->setPlainText(stored.contentText);
    fillDevices(stored.devices);
}

void BroadcastSetting::fillDevices(const QList<VelkIFPDevice> &chosen)
{
    m_devices->clear();
    m_supported = getSupportedDeviceList();
    for (const VelkIFPDevice &device : qAsConst(m_supported)) {
        auto *item = new QListWidgetItem(device.deviceName, m_devices);
        bool checked = false;
        for (const VelkIFPDevice &c : chosen)
            checked = checked || c.did == device.did;
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    }
}

void BroadcastSetting::contentEditorAddBroadcastClicked()
{
    broadcast.status = VelkBroadcast::Upcoming;
    broadcast.contentText = m_text->toPlainText().left(300);
    broadcast.target = 2;
    broadcast.isNow = true;
    const QDateTime now = Clock::system()->now();
    broadcast.startDate = now.toString(QStringLiteral("yyyy-MM-dd"));
    broadcast.time = now.toString(QStringLiteral("hh:mm"));
    broadcast.durationSec = 30;
    broadcast.devices.clear();
    for (int i = 0; i < m_devices->count(); ++i) {
        if (m_devices->item(i)->checkState() == Qt::Checked)
            broadcast.devices.append(m_supported.at(i));
    }
    const quint32 rc = isEditing ? database->updateBroadcast(broadcast) : database->insertBroadcast(broadcast);
    if (rc != DB_OK) {
        writeLog(LOG_LEVEL_ERROR, "scheduleAddBroadcastClicked, insertBroadcast error");
        return;
    }
    close();
    emit broadcastSettingSavedSuccess(broadcast);
}
