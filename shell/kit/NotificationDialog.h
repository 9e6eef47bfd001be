#pragma once

#include "shell/kit/FormScale.h"
#include "shell/kit/Ui_NotificationDialog.h"

#include <QDialog>

/// The shared OK/Cancel notice. It keeps its form's title until the owner sets one.
class NotificationDialog : public QDialog, public Ui_NotificationDialog
{
    Q_OBJECT

public:
    explicit NotificationDialog(QWidget *parent = nullptr);
    ~NotificationDialog() override;

    /// The message, shown as a paragraph with 130% line height.
    void setContent(const QString &message);
    void setTitle(const QString &title);

signals:
    void sendClickOK();
    void closeNotificationDialog();

public slots:
    void clickOK();
    void closeDialog();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void adjustGeometry(bool rescale);

    FormScale m_scale;
};
