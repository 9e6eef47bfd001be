#pragma once

#include "shell/kit/FormScale.h"
#include "shell/kit/Ui_DeleteManagementDialog.h"

#include <QDialog>

/// A yes/no question, or with setOkOnly(true) a notice with one OK button, with a title and a
/// text set by the caller. "Yes" emits sendClickOK(); "No" and the single OK emit
/// closeNotificationDialog(); each closes the dialog first.
class DeleteManagementDialog : public QDialog, public Ui_DeleteManagementDialog
{
    Q_OBJECT

public:
    explicit DeleteManagementDialog(QWidget *parent = nullptr);
    ~DeleteManagementDialog() override;

    void setText(const QString &text);
    void setTitle(const QString &title);
    void setOkOnly(bool okOnly);
    /// The message label's left position in the unscaled form; once it is known the label and
    /// the buttons are brought to the current scale whenever the dialog is shown.
    void setRatio(double labelLeft);

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
    double m_labelLeft = 0.0;
};
