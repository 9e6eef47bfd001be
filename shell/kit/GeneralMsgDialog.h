#pragma once

#include "shell/kit/FormScale.h"
#include "shell/kit/Ui_GeneralMsgDialog.h"

#include <QDialog>

/// The shared message box: a text and OK.
class GeneralMsgDialog : public QDialog, public Ui_GeneralMsgDialog
{
    Q_OBJECT

public:
    explicit GeneralMsgDialog(QWidget *parent = nullptr);
    ~GeneralMsgDialog() override;

    void setMessage(const QString &message);

public slots:
    void okButtonClicked();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);

    FormScale m_scale;
};
