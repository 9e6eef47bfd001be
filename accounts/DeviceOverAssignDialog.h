#pragma once

#include <QDialog>

#include "accounts/Ui_DeviceOverAssignDialog.h"
#include "shell/kit/FormScale.h"

/// Asked before a device assignment is saved that names devices already held by the most users
/// a device takes: it lists them. "Yes" saves the selection without them, "Cancel" (or closing
/// the question) returns to the assignment with nothing written.
class DeviceOverAssignDialog : public QDialog, public Ui_DeviceOverAssignDialog
{
    Q_OBJECT
public:
    explicit DeviceOverAssignDialog(QWidget *parent = nullptr);
    ~DeviceOverAssignDialog() override;

    /// The device names, joined with ",".
    void setDeviceList(const QString &text);

signals:
    void closeDeviceListDialog();

public slots:
    void yesButtonClicked();
    void cancelButtonClicked();
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);

    FormScale formScale;
};
