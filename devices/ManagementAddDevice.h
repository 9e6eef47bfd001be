#pragma once

#include "datastore/VelkIFPDevice.h"
#include "devices/DeviceFormDialog.h"

/// Adds one device by its IP address and/or MAC address.
class ManagementAddDevice : public DeviceFormDialog
{
    Q_OBJECT
public:
    ManagementAddDevice(OrvantaDBIntf *db, QWidget *parent = nullptr);

    /// Empties the form for a new device of the page mode (1 audio boxes, else panels).
    void prepare(int pageMode);

signals:
    /// The device was stored; the record carries its did.
    void deviceAdded(VelkIFPDevice device);

protected:
    void save() override;

private:
    int m_pageMode = 0;
};
