#pragma once

#include "broadcast/Ui_BroadcastMessageDialog.h"
#include "shell/kit/FormScale.h"

#include <QDialog>

/// A fixed-size modal notice with one message and OK: why the broadcast editor refused an action.
class BroadcastMessageDialog : public QDialog, public Ui_BroadcastMessageDialog
{
    Q_OBJECT

public:
    explicit BroadcastMessageDialog(QWidget *parent = nullptr);
    ~BroadcastMessageDialog() override;

    void setMessage(const QString &text);
    QString message() const { return labelMessage->text(); }
    void scaleUi(bool fromShowEvent);

public slots:
    void okButtonClicked();

protected:
    void showEvent(QShowEvent *event) override;

private:
    FormScale m_scale;
};
