#pragma once

#include <QDialog>
#include <QMetaObject>

#include "shell/app/Ui_ExitPendingNotice.h"
#include "shell/kit/FormScale.h"

/// The notice that a chosen Exit waits: the console closes by itself once the records not saved yet are saved and
/// every SOS warning is answered; "Stay Open" calls the exit off. Nothing on screen used to say that an exit was
/// waiting, and the console then ended minutes later in the middle of the operator's work.
///
/// It is no question to put aside: it has no close button, Escape leaves it up, and minimised it comes back at once
/// (nothing on screen said an exit waited). The main window may still be put away: the notice belongs to no window
/// of the console, which a window manager would minimise it with, and comes up over the main window whenever that is
/// brought to the front. It does not block the console's other windows, and none blocks it: a modal window (an SOS
/// warning, a dialog the operator is filling in) blocks every other window of the console, and Stay Open did nothing
/// until it was closed, while the console could end and take the dialog and what was typed in it along. The notice is
/// made a transient window of the topmost modal window, which the toolkit leaves usable.
class ExitPendingNotice : public QDialog, public Ui_ExitPendingNotice
{
    Q_OBJECT
public:
    explicit ExitPendingNotice(QWidget *parent = nullptr);
    ~ExitPendingNotice() override;

    /// What the exit waits for: that many SOS warnings to be answered, and that many records to be saved.
    void setWaits(int alerts, int records);

public slots:
    /// Escape does not hide a waiting exit.
    void reject() override;

signals:
    void stayOpenChosen();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void scaleUi(bool rescale);
    void showWaits();
    /// Belongs to the topmost modal window while there is one, else to no window.
    void followModalWindow();

    FormScale formScale;
    int m_alerts = 0;
    int m_records = 0;
    QMetaObject::Connection m_ownerGone; ///< the modal window it belongs to hides or goes
};
