#pragma once

#include <QIcon>
#include <QListWidgetItem>
#include <QString>
#include <QStringList>

#include "datastore/VelkIFPDevice.h"
#include "devices/DeviceControlModel.h"

/// One managed device in the Device Control list: its name under an icon that shows whether the panel is online,
/// offline, locked to another password or was taken over by another console. The tool tip carries the details.
class ConnectedItem : public QListWidgetItem
{
public:
    enum
    {
        Type = QListWidgetItem::UserType + 1
    };

    ConnectedItem(quint32 key, const VelkIFPDevice &device, QListWidget *list = nullptr);
    ~ConnectedItem() override;

    /// The device's key in the page's DeviceControlModel.
    quint32 key() const { return m_key; }
    const VelkIFPDevice &device() const { return m_device; }
    void setDevice(const VelkIFPDevice &device);
    DeviceControlModel::State state() const { return m_state; }
    void setState(DeviceControlModel::State state);

    /// The list's order: by name, letter case ignored, as the data store orders devices.
    bool operator<(const QListWidgetItem &other) const override;
    QVariant data(int role) const override;

    static QIcon iconFor(DeviceControlModel::State state);
    static QString stateText(DeviceControlModel::State state);

private:
    void refresh();
    /// The tool tip's lines: name, state and the record's details, each value as BoundedText shows it.
    QStringList details() const;

    quint32 m_key;
    VelkIFPDevice m_device;
    DeviceControlModel::State m_state = DeviceControlModel::Offline;
};
