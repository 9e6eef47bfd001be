#pragma once

#include <QDialog>

#include "accounts/Ui_BindCardResultDialog.h"
#include "shell/kit/FormScale.h"

/// What the two outcome messages of the card step share: the window, the form and its
/// scaling. OK closes the message, then the outcome emits its own signals; closing it by its
/// title bar emits nothing.
class BindCardResultDialog : public QDialog, public Ui_BindCardResultDialog
{
    Q_OBJECT
public:
    ~BindCardResultDialog() override;

public slots:
    void okButtonClicked();

protected:
    explicit BindCardResultDialog(QWidget *parent);
    /// Sets the picture and the texts, translated in the outcome's own context.
    void setContent(const QString &picture, const QString &message, const QString &ok);
    /// Emits the outcome's signals; the message is closed already.
    virtual void answered() = 0;
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);

    FormScale formScale;
};
