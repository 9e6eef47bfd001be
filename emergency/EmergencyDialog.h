#pragma once

#include <QDialog>
#include <QString>

#include <memory>

#include "emergency/Ui_EmergencyDialog.h"
#include "platform/CameraProgramLocator.h"

class OrvantaDBIntf;

/// The settings of the link to the camera-management program: on ("Connect PTZ camera") with an
/// account of that program, or off. Connect looks the installed program up and records its
/// folder; Save checks the account against the program's own database, stores it in the
/// administrator account and switches the link on, or switches it off. The device-management
/// page shows the notices and runs the periodic check that the four signals ask for.
class EmergencyDialog : public QDialog, public Ui_EmergencyDialog
{
    Q_OBJECT

public:
    /// `settingsFile`: the file of the link's keys; `locator`: how the program is found (the
    /// platform's own when null).
    explicit EmergencyDialog(QWidget *parent = nullptr, const QString &settingsFile = QString(),
                             std::unique_ptr<CameraProgramLocator> locator = nullptr);
    ~EmergencyDialog() override;

    /// Fills the dialog from what is stored; called before every showing.
    void loadSetting();
    /// Looks the program up and records its install folder; true when found and recorded.
    bool updatePellmarInstallPath();

signals:
    void showAccountErrorMessage(int type);
    void reloadPtzCamera();
    void showDownloadDialog(int type);
    void enableAutoCheck(bool enable);

private slots:
    void saveSetting();
    void cancelClicked();
    void cbConnectCameraChanged(int idx);

private:
    void setFieldsActive(bool active);
    void centre();

    OrvantaDBIntf *m_db;
    QString m_settingsFile;
    std::unique_ptr<CameraProgramLocator> m_locator;
    QString m_storedSosUsername;
    QString m_storedSosPassword;
    int m_savedConnectIndex = 0;
    QString m_labelActiveStyle;
    QString m_labelInactiveStyle;
    QString m_editActiveStyle;
    QString m_editInactiveStyle;
    QString m_asteriskActiveStyle;
};
