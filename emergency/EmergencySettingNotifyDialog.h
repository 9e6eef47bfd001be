#pragma once

#include <QDialog>
#include <QString>

#include "emergency/Ui_EmergencySettingNotifyDialog.h"

/// The notice of a broken camera link: the stored camera-management account is not accepted
/// (type 0), a panel's paired camera cannot be reached (type 1), or the account typed into the
/// link settings is wrong (type 2). Types 0 and 1 offer "Go to Setting", for the administrator
/// only.
class EmergencySettingNotifyDialog : public QDialog, public Ui_EmergencySettingNotifyDialog
{
    Q_OBJECT

public:
    explicit EmergencySettingNotifyDialog(QWidget *parent = nullptr);
    ~EmergencySettingNotifyDialog() override;

    /// Prepares the variant and centres the dialog; `isAdmin`: the administrator is logged in.
    void showDialog(int type, bool isAdmin);
    /// The panel of a type-1 notice; call after showDialog, which clears these values.
    void setInfo(QString deviceName, QString ipAddress, QString username);

    int type() const { return m_type; }
    QString deviceName() const { return m_deviceName; }

signals:
    void editSetting(int type, QString deviceName);

private slots:
    void btnCancelClicked();
    void btnGoSettingClicked();

private:
    int m_type = -1;
    QString m_deviceName;
};
