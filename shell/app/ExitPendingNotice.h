#pragma once

#include <QDialog>

#include "shell/app/Ui_ExitPendingNotice.h"
#include "shell/kit/FormScale.h"

/// The notice that a chosen Exit waits: the console closes by itself once the records not saved yet are saved and
/// every SOS warning is answered; "Stay Open" calls the exit off. Nothing on screen used to say that an exit was
/// waiting, and the console then ended minutes later in the middle of the operator's work.
///
/// It is no question to put aside: it has no close button, and Escape leaves it up, so that a waiting exit never
/// goes out of sight. It does not block the console's other windows.
class ExitPendingNotice : public QDialog, public Ui_ExitPendingNotice
{
    Q_OBJECT
public:
    explicit ExitPendingNotice(QWidget *parent = nullptr);
    ~ExitPendingNotice() override;

    /// What the exit waits for: an SOS warning to be answered, and that many records to be saved.
    void setWaits(bool alert, int records);

public slots:
    /// Escape does not hide a waiting exit.
    void reject() override;

signals:
    void stayOpenChosen();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void scaleUi(bool rescale);
    void showWaits();

    FormScale formScale;
    bool m_alert = false;
    int m_records = 0;
};
