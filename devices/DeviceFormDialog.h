#pragma once

#include <QDialog>
#include <QStringList>

#include "datastore/VelkDeviceCameraMap.h"
#include "devices/Ui_DeviceFormDialog.h"
#include "shell/kit/FormScale.h"

class OrvantaDBIntf;

/// The form that the add-by-address and edit dialogs share: name, IP address, MAC address,
/// location, the PTZ camera (for the device types that pair with one) and the groups of the
/// page's device family, with the red badge for what is wrong.
class DeviceFormDialog : public QDialog, public Ui_DeviceFormDialog
{
    Q_OBJECT
public:
    DeviceFormDialog(OrvantaDBIntf *db, QWidget *parent);
    ~DeviceFormDialog() override;

    /// Lists the groups of groupType, with those in checked (letter case ignored) ticked.
    void setGroupChoices(const QString &groupType, const QStringList &checked);
    QStringList checkedGroups() const;
    /// Shows the red badge with text; an empty text hides it.
    void showWarning(const QString &text);
    QString warningText() const;

    /// Presses Save as the operator would (tests and the Return key use it).
    void submit();

    bool cameraRowShown() const { return m_cameraRowShown; }
    /// The camera chosen in the pairing dialog for this device: shown in the field and written
    /// with the device on Save.
    void setChosenCamera(const QString &name, const QString &mac);

signals:
    /// The camera button: the page opens the pairing dialog, or the notice that the console has
    /// no camera-management account yet. cameraName is what the field shows.
    void showCameraDialog(QString cameraName);

protected:
    /// Shows the camera row when the device type pairs with a camera, with the current pairing,
    /// and forgets a camera chosen for the device the dialog showed before.
    void prepareCamera(const QString &deviceType, const QString &currentCamera);
    /// The camera chosen since prepareCamera; an empty deviceName when none was.
    VelkDeviceCameraMap chosenCamera() const { return m_chosenCamera; }

    void showEvent(QShowEvent *event) override;
    virtual void save() = 0;

    OrvantaDBIntf *m_db;

private:
    void scaleUi(bool rescale);
    void fitGroupHint();
    void setCameraRowShown(bool shown);
    /// Moves the buttons down (and grows the dialog) by room pixels beyond the form's own, for a warning's lines.
    void makeWarningRoom(int room);

    FormScale m_scale;
    bool m_cameraRowShown = true;
    int m_warningRoom = 0;
    VelkDeviceCameraMap m_chosenCamera;
};
