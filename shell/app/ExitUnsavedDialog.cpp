#include "shell/app/ExitUnsavedDialog.h"

#include <QEvent>

#include "shell/base/Session.h"
#include "shell/kit/EnterKeyButton.h"
#include "shell/kit/KitForm.h"
#include "shell/kit/UiHelpers.h"

ExitUnsavedDialog::ExitUnsavedDialog(QWidget *parent) : QDialog(parent)
{
    setupUi(this);
    setLayoutDirection(uiLayoutDirection());
    scaleUi(false);
    setWindowTitle(productName());
    setupSharedDialog(this);
    connect(btnWait, &QToolButton::clicked, this, &ExitUnsavedDialog::reject);
    connect(btnQuit, &QToolButton::clicked, this, &ExitUnsavedDialog::accept);
    // Waiting loses nothing, quitting drops the records: Wait is the answer a hurried key gives. The focus began on
    // Quit, unmarked, and one Space dropped the records while Enter did nothing.
    setTabOrder(btnWait, btnQuit);
    for (QToolButton *button : {btnWait, btnQuit}) {
        button->setFocusPolicy(Qt::StrongFocus);
        button->setStyleSheet(button->styleSheet() + dialogButtonFocusStyle());
    }
    EnterKeyButton::install(this, btnWait);
}

void ExitUnsavedDialog::accept()
{
    QDialog::accept();
    emit quitChosen();
}

void ExitUnsavedDialog::reject()
{
    // Closed from its title bar or with Escape, the question is put aside as if "Wait" was chosen: nothing is lost.
    QDialog::reject();
    emit waitChosen();
}

ExitUnsavedDialog::~ExitUnsavedDialog() = default;

void ExitUnsavedDialog::setRecords(int records, DbHoldCause cause)
{
    m_records = records;
    m_cause = cause;
    showRecords();
}

void ExitUnsavedDialog::showRecords()
{
    // Blamed on another program, a full disk sent the operator looking for a program that was not there.
    switch (m_cause) {
    case DbHoldCause::AnotherProgram:
        labelMessage->setText(tr("%n records are not saved yet: another program holds the database. Wait, and the "
                                 "console ends by itself once they are saved, or quit without them?",
                                 nullptr, m_records));
        break;
    case DbHoldCause::DiskFull:
        labelMessage->setText(tr("%n records are not saved yet: the disk is full. Wait, and the console ends by itself "
                                 "once they are saved, or quit without them?",
                                 nullptr, m_records));
        break;
    case DbHoldCause::FileError:
        labelMessage->setText(tr("%n records are not saved yet: the database file could not be read or written. Wait, "
                                 "and the console ends by itself once they are saved, or quit without them?",
                                 nullptr, m_records));
        break;
    }
}

void ExitUnsavedDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        retranslateUi(this);
        setWindowTitle(productName());
        showRecords();
    }
    QDialog::changeEvent(event);
}

void ExitUnsavedDialog::showEvent(QShowEvent *event)
{
    scaleUi(true);
    QDialog::showEvent(event);
    // Asked again, the question starts on Wait again, whatever had the focus when it was put aside.
    btnWait->setFocus(Qt::OtherFocusReason);
}

void ExitUnsavedDialog::scaleUi(bool rescale)
{
    const double factor = formScale.nextFactor(rescale, getScaleFactor());
    if (factor == 0.0)
        return;
    scaleForm(this, factor, {frameContent, btnWait, btnQuit, labelMessage}, rescale, true);
}
