#pragma once

#include "shell/kit/FormScale.h"
#include "shell/kit/Ui_PowerOnDialog.h"

#include <QDialog>

/// The question before a remote power-on; "Yes" emits sendClickOk(), both buttons close it.
class PowerOnDialog : public QDialog, public Ui_PowerOnDialog
{
    Q_OBJECT

public:
    explicit PowerOnDialog(QWidget *parent = nullptr);
    ~PowerOnDialog() override;

signals:
    void sendClickOk();

public slots:
    void clickOK();
    void closeDialog();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);

    FormScale m_scale;
};
