#pragma once

#include "shell/app/Ui_SendMailDialog.h"
#include "shell/kit/FormScale.h"

#include <QDialog>

/// The notice that a new password was mailed.
class SendMailDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SendMailDialog(QWidget *parent = nullptr);
    ~SendMailDialog() override;

    Ui_SendMailDialog ui;

public slots:
    void clickOK();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);

    FormScale m_scale;
};
