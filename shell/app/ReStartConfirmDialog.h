#pragma once

#include <QDialog>

#include "shell/app/Ui_ReStartConfirmDialog.h"
#include "shell/kit/FormScale.h"

/// The question before a database restore, which replaces all data and restarts the program.
class ReStartConfirmDialog : public QDialog, public Ui_ReStartConfirmDialog
{
    Q_OBJECT
public:
    explicit ReStartConfirmDialog(QWidget *parent = nullptr);
    ~ReStartConfirmDialog() override;

signals:
    void sendClickOk();
    void sendClickClose();

public slots:
    void closeDialog();
    void clickOK();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);

    FormScale formScale;
};
