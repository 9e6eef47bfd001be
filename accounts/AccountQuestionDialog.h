#pragma once

#include <QDialog>

#include "accounts/Ui_AccountQuestionDialog.h"
#include "shell/kit/FormScale.h"

/// What the accounts' yes/no questions share. Yes accepts, No rejects; closing the question by
/// its title bar or Escape also rejects, so an unanswered question counts as No. The question
/// hides before its accepted() or rejected() goes out, and remembers no answer: shown again,
/// it asks again.
class AccountQuestionDialog : public QDialog, public Ui_AccountQuestionDialog
{
    Q_OBJECT
public:
    ~AccountQuestionDialog() override;

public slots:
    void yesButtonClicked();
    void noButtonClicked();

protected:
    /// size: the unscaled size of the question.
    AccountQuestionDialog(QWidget *parent, const QSize &size = QSize(340, 176));
    /// The texts, translated in the question's own context.
    void setTexts(const QString &message, const QString &yes, const QString &no);
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);

    FormScale formScale;
};
