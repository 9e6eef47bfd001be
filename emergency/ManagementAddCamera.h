#pragma once

#include <QDialog>
#include <QList>
#include <QString>

#include "datastore/PellmarDevice.h"
#include "emergency/Ui_ManagementAddCamera.h"

class OrvantaDBIntf;
class QCheckBox;

/// The pairing of one panel with a camera of the camera-management program: the cameras that the
/// stored camera-management account may see, one row each with a check box, IP address, MAC
/// address and name. Save hands the one chosen camera back through sendDeviceInfo(); the dialog
/// itself writes nothing.
class ManagementAddCamera : public QDialog, public Ui_ManagementAddCamera
{
    Q_OBJECT

public:
    explicit ManagementAddCamera(QWidget *parent = nullptr);
    ~ManagementAddCamera() override;

    /// Prepares the dialog for a panel whose camera field holds `cameraName` (possibly empty):
    /// rows of that name come pre-checked.
    void showDialog(QString cameraName);

    QList<QCheckBox *> checkBoxes() const { return m_checkBoxes; }
    int checkedCount() const { return m_checkedCount; }

signals:
    void sendDeviceInfo(QString name, QString mac);

private slots:
    void updateCameraInfo();
    void btnSaveClicked();
    void btnCancelClicked();
    void clickCheckBox(int state);

private:
    OrvantaDBIntf *m_db;
    QList<PellmarDevice> m_cameras;
    QList<QCheckBox *> m_checkBoxes;
    int m_checkedCount = 0;
    int m_checkedRow = -1;
    QString m_currentCameraName;
};
