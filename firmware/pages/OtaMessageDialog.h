#pragma once

#include "firmware/pages/Ui_OtaMessageDialog.h"
#include "shell/kit/FormScale.h"

#include <QDialog>

/// The OTA schedule page's one notice: a message and one button whose text the page chooses. "OK" only closes it;
/// the page connects confirmed() to its save for the last question before saving. Closing it by the title bar or
/// Escape emits nothing.
class OtaMessageDialog : public QDialog, public Ui_OtaMessageDialog
{
    Q_OBJECT

public:
    explicit OtaMessageDialog(QWidget *parent = nullptr);
    ~OtaMessageDialog() override;

    void setMessage(const QString &text);
    void setButtonText(const QString &text);

signals:
    /// The button was pressed; the dialog is already closed.
    void confirmed();

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void okButtonClicked();

private:
    void scaleUi(bool rescale);

    FormScale m_scale;
};
