#pragma once

#include "broadcast/Ui_BroadcastSaveDialog.h"
#include "shell/kit/FormScale.h"

#include <QDialog>

/// "Save your changes?": "Save" accepts, "Discard Changes" (or its own close button) rejects.
class BroadcastSaveDialog : public QDialog, public Ui_BroadcastSaveDialog
{
    Q_OBJECT

public:
    explicit BroadcastSaveDialog(QWidget *parent = nullptr);
    ~BroadcastSaveDialog() override;

    void setTitle(const QString &text) { labelTitle->setText(text); }
    void setText(const QString &text) { labelMessage->setText(text); }
    void setSaveButtonText(const QString &text) { btnOk->setText(text); }
    void setDiscardButtonText(const QString &text) { btnCancel->setText(text); }

private slots:
    void saveButtonClicked();
    void cancelButtonClicked();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);

    FormScale m_scale;
};
