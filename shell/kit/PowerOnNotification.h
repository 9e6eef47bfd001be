#pragma once

#include "shell/kit/FormScale.h"
#include "shell/kit/Ui_PowerOnNotification.h"

#include <QDialog>

/// The notice that remote power-on needs a wired network; its button emits sendClickOk() and
/// closes it.
class PowerOnNotification : public QDialog, public Ui_PowerOnNotification
{
    Q_OBJECT

public:
    explicit PowerOnNotification(QWidget *parent = nullptr);
    ~PowerOnNotification() override;

signals:
    void sendClickOk();

public slots:
    void clickOK();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);

    FormScale m_scale;
};
