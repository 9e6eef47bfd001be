#pragma once

#include "shell/kit/FormScale.h"
#include "shell/kit/Ui_ConfirmDialog.h"

#include <QDialog>

/// The shared yes/no question; "Yes" closes it and emits confirmed().
class ConfirmDialog : public QDialog, public Ui_ConfirmDialog
{
    Q_OBJECT

public:
    explicit ConfirmDialog(QWidget *parent = nullptr);
    ~ConfirmDialog() override;

    void setText(const QString &text);

signals:
    void confirmed();

public slots:
    void okClicked();
    void cancelClicked();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);

    FormScale m_scale;
};
