#pragma once

#include "datastore/VelkIFPDevice.h"
#include "devices/DeviceFormDialog.h"

/// Edits a device's name, addresses, location, PTZ camera and groups. Its type never changes, and
/// its MAC address only while the device has never connected (reported its firmware).
class ManagementEditDevice : public DeviceFormDialog
{
    Q_OBJECT
public:
    ManagementEditDevice(OrvantaDBIntf *db, QWidget *parent = nullptr);

    /// Fills the form from the device and its current groups.
    void prepare(const VelkIFPDevice &device, const QStringList &groups);
    VelkIFPDevice device() const { return m_device; }

signals:
    /// The device was stored; lastDeviceName is its name before the edit.
    void deviceEdited(VelkIFPDevice device, QString lastDeviceName);

protected:
    void save() override;

private:
    VelkIFPDevice m_device;
};
