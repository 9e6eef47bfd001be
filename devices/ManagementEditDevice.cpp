#include "devices/ManagementEditDevice.h"

#include "devices/DeviceStore.h"

ManagementEditDevice::ManagementEditDevice(OrvantaDBIntf *db, QWidget *parent) : DeviceFormDialog(db, parent)
{
    setObjectName(QStringLiteral("ManagementEditDevice"));
}

void ManagementEditDevice::prepare(const VelkIFPDevice &device, const QStringList &groups)
{
    m_device = device;
    labelTitle->setText(tr("Edit Device"));
    editName->setText(device.deviceName);
    editIp->setText(device.ipAddress);
    editMac->setText(device.macAddress);
    const bool macLocked = !device.fwVersion.isEmpty();
    editMac->setReadOnly(macLocked);
    editMac->setToolTip(macLocked ? tr("Cannot modify connected device's Mac address.") : QString());
    editLocation->setText(device.position);
    showWarning(QString());
    prepareCamera(device.deviceType, device.ptzCamera);
    setGroupChoices(device.deviceType, groups);
    editName->setFocus();
}

void ManagementEditDevice::save()
{
    const DeviceStore::Outcome outcome =
        DeviceStore(m_db).editDevice(m_device, editName->text(), editIp->text(), editMac->text(), editLocation->text(),
                                     checkedGroups(), chosenCamera());
    if (!outcome.ok()) {
        showWarning(outcome.message);
        return;
    }
    const QString lastName = m_device.deviceName;
    m_device = outcome.device;
    close();
    emit deviceEdited(outcome.device, lastName);
}
