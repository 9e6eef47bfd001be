#pragma once

#include <QDialog>

#include "datastore/VelkIFPDevice.h"
#include "devices/Ui_ManagementShowIPInfo.h"
#include "shell/kit/FormScale.h"

/// Read-only view of a device's IP address, subnet mask and gateway as stored.
class ManagementShowIPInfo : public QDialog, public Ui_ManagementShowIPInfo
{
    Q_OBJECT
public:
    explicit ManagementShowIPInfo(QWidget *parent = nullptr);
    ~ManagementShowIPInfo() override;

    void setIPInfo(VelkIFPDevice device);

signals:
    void clickShowIPInfoOK();

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void btnSaveClicked();

private:
    void scaleUi(bool rescale);

    FormScale m_scale;
};
