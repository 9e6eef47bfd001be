#pragma once

#include "shell/kit/FormScale.h"
#include "shell/kit/Ui_GeneralMsgDialog.h"

#include <QDialog>

/// The shared message box: a text and OK. The box grows downwards when the text needs more lines than it has room
/// for (a long path, a large scale), so that the end of the text, often what to do, is never cut off.
class GeneralMsgDialog : public QDialog, public Ui_GeneralMsgDialog
{
    Q_OBJECT

public:
    explicit GeneralMsgDialog(QWidget *parent = nullptr);
    ~GeneralMsgDialog() override;

    void setMessage(const QString &message);
    /// Shows message centred on the screen of owner, raised above the windows there if it was open already.
    void showOver(QWidget *owner, const QString &message);

public slots:
    void okButtonClicked();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void scaleUi(bool rescale);
    void fitMessage();
    void growBy(int pixels);

    FormScale m_scale;
    // How much taller than its form the box has grown for its text.
    int m_grown = 0;
};
