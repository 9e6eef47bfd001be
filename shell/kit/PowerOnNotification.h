#pragma once

#include "shell/kit/FormScale.h"
#include "shell/kit/Ui_PowerOnNotification.h"

#include <QDialog>

/// The notice that remote power-on needs a wired network; its button emits sendClickOk() and
/// closes it. A note under the message says what else the operator must know of this power-on.
class PowerOnNotification : public QDialog, public Ui_PowerOnNotification
{
    Q_OBJECT

public:
    explicit PowerOnNotification(QWidget *parent = nullptr);
    ~PowerOnNotification() override;

    /// Shows `note` under the message, the notice growing to hold it; an empty note takes it away.
    void setNote(const QString &note);
    QString note() const { return labelNote->isHidden() ? QString() : labelNote->text(); }

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
