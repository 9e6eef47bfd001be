#pragma once

#include <QDialog>

#include "shell/app/Ui_LanguageDialog.h"
#include "shell/kit/FormScale.h"

/// The notice that saving another language restarts the program.
class LanguageDialog : public QDialog, public Ui_LanguageDialog
{
    Q_OBJECT
public:
    explicit LanguageDialog(QWidget *parent = nullptr);
    ~LanguageDialog() override;

public slots:
    void okButtonClicked();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);

    FormScale formScale;
};
