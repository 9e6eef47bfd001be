#include "devices/ManagementEditDevice.h"

#include "devices/DeviceStore.h"
#include "shell/kit/UiHelpers.h"

ManagementEditDevice::ManagementEditDevice(OrvantaDBIntf *db, QWidget *parent) : DeviceFormDialog(db, parent)
{
    setObjectName(QStringLiteral("ManagementEditDevice"));
}

void ManagementEditDevice::prepare(const VelkIFPDevice &device, const QStringList &groups)
{
    m_device = device;
    labelTitle->setText(tr("Edit Device"));
    showStoredText(editName, device.deviceName);
    showStoredText(editIp, device.ipAddress);
    showStoredText(editMac, device.macAddress);
    const bool macLocked = !device.fwVersion.isEmpty();
    editMac->setReadOnly(macLocked);
    editMac->setToolTip(macLocked ? tr("Cannot modify connected device's Mac address.") : QString());
    showStoredText(editLocation, device.position);
    showWarning(QString());
    prepareCamera(device.deviceType, device.ptzCamera);
    setGroupChoices(device.deviceType, groups);
    editName->setFocus();
}

void ManagementEditDevice::save()
{
    const DeviceStore::Outcome outcome = DeviceStore(m_db).editDevice(
        m_device, editedOrStored(editName, m_device.deviceName), editedOrStored(editIp, m_device.ipAddress),
        editedOrStored(editMac, m_device.macAddress), editedOrStored(editLocation, m_device.position), checkedGroups(),
        chosenCamera());
    if (!outcome.ok()) {
        showWarning(outcome.message);
        return;
    }
    const QString lastName = m_device.deviceName;
    m_device = outcome.device;
    close();
    emit deviceEdited(outcome.device, lastName);
}
