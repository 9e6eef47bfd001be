#pragma once

#include "shell/kit/FormScale.h"
#include "shell/kit/Ui_DeleteScheduleDialog.h"

#include <QDialog>

/// The question before a schedule is deleted: "Yes" emits sendClickOK(), "No"
/// closeNotificationDialog(); both close the dialog.
class DeleteScheduleDialog : public QDialog, public Ui_DeleteScheduleDialog
{
    Q_OBJECT

public:
    explicit DeleteScheduleDialog(QWidget *parent = nullptr);
    ~DeleteScheduleDialog() override;

    /// The question, shown as a paragraph with 130% line height.
    void setText(const QString &text);

signals:
    void sendClickOK();
    void closeNotificationDialog();

public slots:
    void clickOK();
    void closeDialog();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);

    FormScale m_scale;
};
