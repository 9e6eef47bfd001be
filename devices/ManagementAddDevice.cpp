#include "devices/ManagementAddDevice.h"

#include "devices/DeviceRules.h"
#include "devices/DeviceStore.h"

ManagementAddDevice::ManagementAddDevice(OrvantaDBIntf *db, QWidget *parent) : DeviceFormDialog(db, parent)
{
    setObjectName(QStringLiteral("ManagementAddDevice"));
}

void ManagementAddDevice::prepare(int pageMode)
{
    m_pageMode = pageMode == 1 ? 1 : 0;
    labelTitle->setText(m_pageMode == 1 ? tr("Add Audio Box") : tr("Add Device"));
    editName->clear();
    editIp->clear();
    editMac->clear();
    editMac->setReadOnly(false);
    editLocation->clear();
    showWarning(QString());
    prepareCamera(DeviceRules::typeForPageMode(m_pageMode), QString());
    setGroupChoices(DeviceRules::typeForPageMode(m_pageMode), QStringList());
    editName->setFocus();
}

void ManagementAddDevice::save()
{
    VelkIFPDevice device;
    device.deviceName = editName->text();
    device.ipAddress = editIp->text();
    device.macAddress = editMac->text();
    device.position = editLocation->text();
    device.deviceType = DeviceRules::typeForPageMode(m_pageMode);
    const DeviceStore::Outcome outcome = DeviceStore(m_db).addDevice(device, checkedGroups(), chosenCamera());
    if (!outcome.ok()) {
        showWarning(outcome.message);
        return;
    }
    close();
    emit deviceAdded(outcome.device);
}
