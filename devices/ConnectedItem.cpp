#include "devices/ConnectedItem.h"

#include "shell/base/BoundedText.h"
#include "shell/kit/UiHelpers.h"

#include <QBrush>
#include <QColor>
#include <QCoreApplication>
#include <QStringList>

ConnectedItem::ConnectedItem(quint32 key, const VelkIFPDevice &device, QListWidget *list)
    : QListWidgetItem(nullptr, Type), m_key(key), m_device(device)
{
    setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    setTextAlignment(Qt::AlignHCenter | Qt::AlignTop);
    refresh();
    // Listed once it has its look: every change to a listed item is announced to the view, seven times for each of
    // thousands of devices at log-in.
    if (list)
        list->addItem(this);
}

ConnectedItem::~ConnectedItem() = default;

void ConnectedItem::setDevice(const VelkIFPDevice &device)
{
    m_device = device;
    refresh();
}

void ConnectedItem::setState(DeviceControlModel::State state)
{
    if (state == m_state)
        return;
    m_state = state;
    refresh();
}

bool ConnectedItem::operator<(const QListWidgetItem &other) const
{
    if (other.type() != Type)
        return QListWidgetItem::operator<(other);
    const auto &item = static_cast<const ConnectedItem &>(other);
    const int order = m_device.deviceName.compare(item.m_device.deviceName, Qt::CaseInsensitive);
    return order != 0 ? order < 0 : m_key < item.m_key;
}

QIcon ConnectedItem::iconFor(DeviceControlModel::State state)
{
    // Decoded once: a thousand items share four pixmaps. The same picture serves the selected mode, which the view
    // would otherwise tint and so blur the state colours of exactly the devices about to be commanded.
    auto load = [](const char *file) {
        const QString path = QStringLiteral(":/resource/connectedList/") + QLatin1String(file);
        QIcon icon(path);
        icon.addFile(path, QSize(), QIcon::Selected);
        return icon;
    };
    static const QIcon online = load("device_online.png");
    static const QIcon offline = load("device_offline.png");
    static const QIcon locked = load("device_locked.png");
    static const QIcon kicked = load("device_kicked.png");
    switch (state) {
    case DeviceControlModel::Online:
        return online;
    case DeviceControlModel::Locked:
        return locked;
    case DeviceControlModel::Kicked:
        return kicked;
    case DeviceControlModel::Offline:
        break;
    }
    return offline;
}

QString ConnectedItem::stateText(DeviceControlModel::State state)
{
    switch (state) {
    case DeviceControlModel::Online:
        return QCoreApplication::translate("ConnectedItem", "Online");
    case DeviceControlModel::Locked:
        return QCoreApplication::translate("ConnectedItem", "Locked by another password");
    case DeviceControlModel::Kicked:
        return QCoreApplication::translate("ConnectedItem", "Taken over by another computer");
    case DeviceControlModel::Offline:
        break;
    }
    return QCoreApplication::translate("ConnectedItem", "Offline");
}

void ConnectedItem::refresh()
{
    setText(BoundedText::shown(m_device.deviceName));
    setIcon(iconFor(m_state));
    setForeground(QBrush(m_state == DeviceControlModel::Offline ? QColor(0xa6, 0xa6, 0xa6) : QColor(0xff, 0xff, 0xff)));
}

QVariant ConnectedItem::data(int role) const
{
    // The tip and the accessible text are built when asked for: built at every refresh, they cost a list of
    // thousands of devices more than its icons, for tips few are read.
    if (role == Qt::ToolTipRole)
        return plainToolTip(details());
    if (role == Qt::AccessibleTextRole)
        return BoundedText::shown(m_device.deviceName) + QStringLiteral(", ") + stateText(m_state);
    return QListWidgetItem::data(role);
}

QStringList ConnectedItem::details() const
{
    QStringList lines;
    lines << BoundedText::shown(m_device.deviceName) << stateText(m_state);
    auto add = [&lines](const char *label, const QString &value) {
        if (!value.isEmpty())
            lines << QCoreApplication::translate("ConnectedItem", label).arg(BoundedText::shown(value));
    };
    add(QT_TRANSLATE_NOOP("ConnectedItem", "Model: %1"), m_device.modelName);
    add(QT_TRANSLATE_NOOP("ConnectedItem", "Type: %1"), m_device.deviceType);
    add(QT_TRANSLATE_NOOP("ConnectedItem", "Location: %1"), m_device.position);
    add(QT_TRANSLATE_NOOP("ConnectedItem", "IP address: %1"), m_device.ipAddress);
    add(QT_TRANSLATE_NOOP("ConnectedItem", "MAC address: %1"), m_device.macAddress);
    if (m_state == DeviceControlModel::Kicked)
        lines << QCoreApplication::translate("ConnectedItem", "Click to clear the mark.");
    return lines;
}
