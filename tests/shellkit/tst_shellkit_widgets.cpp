// The shared dialogs and small widgets, headless. ctest runs this program twice: with
// QT_FONT_DPI=96 (scale 1.0) and with QT_FONT_DPI=144 (scale 1.4), and every geometry below is
// checked against the scale of the run.
#include "shell/kit/ClickableLabel.h"
#include "shell/kit/ConfirmDialog.h"
#include "shell/kit/CustComboBox.h"
#include "shell/kit/CustomFilterWidget.h"
#include "shell/kit/CustomLineEditText.h"
#include "shell/kit/DeleteManagementDialog.h"
#include "shell/kit/DeleteScheduleDialog.h"
#include "shell/kit/DialogPlacementRule.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/MainButtonFrame.h"
#include "shell/kit/NotificationDialog.h"
#include "shell/kit/PlaceholderColour.h"
#include "shell/kit/PowerOnDialog.h"
#include "shell/kit/PowerOnNotification.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/ScheduleLineEdit.h"
#include "shell/kit/ScheduleSettingSpinBox.h"
#include "shell/kit/SortingIndicator.h"
#include "shell/kit/SwitchControl.h"
#include "shell/kit/TextLabel.h"
#include "shell/kit/UiHelpers.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontInfo>
#include <QScreen>
#include <QtTest>

#include <functional>

// CustomFilterWidget hands the press event itself to its listeners.
Q_DECLARE_METATYPE(QMouseEvent *)

namespace {
using Geometry = QMap<QString, QRect>;

// What each dialog's form looks like unscaled, and which of its widgets the dialog scales.
struct FormSpec
{
    std::function<QDialog *()> create;
    QSize size;
    Geometry scaled;
};

QMap<QString, FormSpec> forms()
{
    return {
        {"GeneralMsgDialog",
         {[] { return new GeneralMsgDialog; },
          {432, 161},
          {{"frameContent", {0, 0, 432, 161}}, {"labelMessage", {20, 20, 392, 90}}, {"btnOk", {176, 121, 80, 22}}}}},
        {"ConfirmDialog",
         {[] { return new ConfirmDialog; },
          {310, 100},
          {{"frameContent", {0, 0, 310, 100}},
           {"labelMessage", {20, 17, 270, 58}},
           {"btnOk", {162, 68, 80, 22}},
           {"btnCancel", {62, 68, 80, 22}}}}},
        {"NotificationDialog",
         {[] { return new NotificationDialog; },
          {527, 100},
          {{"frameContent", {0, 0, 527, 100}},
           {"widget", {20, 20, 500, 48}},
           {"btnOk", {286, 64, 80, 22}},
           {"btnCancel", {188, 64, 80, 22}}}}},
        {"DeleteScheduleDialog",
         {[] { return new DeleteScheduleDialog; },
          {310, 100},
          {{"frameContent", {0, 0, 310, 110}},
           {"labelMessage", {20, 14, 270, 64}},
           {"btnOk", {162, 72, 80, 22}},
           {"btnCancel", {62, 72, 80, 22}}}}},
        {"DeleteManagementDialog",
         {[] {
              auto *dialog = new DeleteManagementDialog;
              dialog->setRatio(20.0);
              return dialog;
          },
          {320, 109},
          {{"frameContent", {0, 0, 320, 110}},
           {"label", {20, 20, 260, 32}},
           {"btnOk", {169, 65, 80, 22}},
           {"btnCancel", {74, 65, 80, 22}}}}},
        {"PowerOnDialog",
         {[] { return new PowerOnDialog; },
          {432, 124},
          {{"frameContent", {0, 0, 432, 124}},
           {"labelMessage", {20, 20, 401, 64}},
           {"btnOk", {223, 92, 80, 22}},
           {"btnCancel", {128, 92, 80, 22}}}}},
        {"PowerOnNotification",
         {[] { return new PowerOnNotification; },
          {432, 121},
          {{"frameContent", {0, 0, 432, 121}}, {"labelMessage", {20, 20, 392, 50}}, {"btnOk", {176, 81, 80, 22}}}}},
    };
}

QSize scaled(const QSize &size, double f)
{
    return {ScaleMath::truncScaled(size.width(), f), ScaleMath::truncScaled(size.height(), f)};
}

void press(QWidget *widget, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mousePress(widget, button, Qt::NoModifier, QPoint(2, 2));
}

void release(QWidget *widget, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseRelease(widget, button, Qt::NoModifier, QPoint(2, 2));
}
} // namespace

class TestKitWidgets : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void dialogsScaleWithTheScreen_data();
    void dialogsScaleWithTheScreen();
    void dialogsRescaleAfterAScreenChange();
    void dialogWindows();
    void dialogButtons();
    void deleteManagementOkOnly();

    void switchControl();
    void sortingIndicator();
    void textLabelBadge();
    void spinBoxShowsTwoDigits();
    void spinBoxGivesWhatIsTyped();
    void dialogPlacedInsideTheScreen();
    void lineEdits();
    void placeholderColourSurvivesStyleSheets();
    void mouseWidgets();
    void comboBox();

private:
    double m_scale = 1.0;
};

void TestKitWidgets::initTestCase()
{
    qRegisterMetaType<QMouseEvent *>();
    initScaleFactor(0, 0);
    m_scale = getScaleFactor();
    // The run must really be the one its environment asks for, or the checks prove nothing.
    const QByteArray dpi = qgetenv("QT_FONT_DPI");
    if (dpi == "144")
        QCOMPARE(m_scale, 1.4);
    else if (dpi == "96")
        QCOMPARE(m_scale, 1.0);
}

void TestKitWidgets::cleanup()
{
    initScaleFactor(0, 0);
    initScaleFactor(0, 0);
}

void TestKitWidgets::dialogsScaleWithTheScreen_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : forms().keys())
        QTest::newRow(qPrintable(name)) << name;
}

void TestKitWidgets::dialogsScaleWithTheScreen()
{
    QFETCH(QString, name);
    const FormSpec spec = forms().value(name);
    QScopedPointer<QDialog> dialog(spec.create());
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.data()));

    QCOMPARE(dialog->size(), scaled(spec.size, m_scale));
    for (auto it = spec.scaled.cbegin(); it != spec.scaled.cend(); ++it) {
        auto *widget = dialog->findChild<QWidget *>(it.key());
        QVERIFY2(widget, qPrintable(it.key()));
        QCOMPARE(widget->geometry(), ScaleMath::scaledGeometry(it.value(), m_scale));
    }

    // Text grows with the scale in pixels: 10 points at 96 DPI is 13.33 pixels.
    const QList<QLabel *> labels = dialog->findChildren<QLabel *>();
    QVERIFY(!labels.isEmpty());
    for (QLabel *label : labels) {
        const double pixels = label->font().pointSizeF() * label->logicalDpiY() / 72.0;
        QVERIFY2(qAbs(pixels - 10.0 * 96 / 72 * m_scale) < 0.05, qPrintable(label->objectName()));
    }

    // Showing it again changes nothing.
    dialog->hide();
    dialog->show();
    QCOMPARE(dialog->size(), scaled(spec.size, m_scale));
}

void TestKitWidgets::dialogsRescaleAfterAScreenChange()
{
    // Simulates the main window moving to a 2160-pixel screen at 240 DPI, from a 1080-pixel one.
    initScaleFactorFor(240, 1080);
    initScaleFactorFor(240, 1080);
    ConfirmDialog first;
    ConfirmDialog second;
    const QSize built = first.size();
    QCOMPARE(built, scaled({310, 100}, 1.4));
    first.show();
    second.show();
    QCOMPARE(first.size(), built);
    first.hide();
    second.hide();

    initScaleFactorFor(240, 2160);
    QCOMPARE(getScaleFactor(), 2.25);
    first.show();
    second.show(); // the second instance of the class follows too
    const QSize grown = scaled(built, 2.25 / 1.4);
    QCOMPARE(first.size(), grown);
    QCOMPARE(second.size(), grown);
    QCOMPARE(first.btnOk->geometry(),
             ScaleMath::scaledGeometry(ScaleMath::scaledGeometry({162, 68, 80, 22}, 1.4), 2.25 / 1.4));
    first.hide();
    first.show();
    QCOMPARE(first.size(), grown);

    // A DeleteManagementDialog's label and buttons reach the scale from where they stand.
    initScaleFactorFor(240, 1080);
    DeleteManagementDialog dialog;
    dialog.setRatio(20.0);
    dialog.show();
    QCOMPARE(dialog.label->x(), 28);
    dialog.hide();
    initScaleFactorFor(240, 2160);
    dialog.show();
    QCOMPARE(dialog.label->x(), 45);
    QCOMPARE(dialog.btnOk->x(), 379); // 169 × 1.4 = 236, then × 45 / 28

    // Without setRatio they keep their form geometry.
    DeleteManagementDialog plain;
    plain.show();
    QCOMPARE(plain.label->geometry(), QRect(20, 20, 260, 32));
}

void TestKitWidgets::dialogWindows()
{
    GeneralMsgDialog general;
    NotificationDialog notice;
    for (QDialog *dialog : {static_cast<QDialog *>(&general), static_cast<QDialog *>(&notice)}) {
        QVERIFY(dialog->isModal());
        QVERIFY(dialog->windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(dialog->windowFlags() & Qt::FramelessWindowHint));
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        // The shared dialogs keep the left-to-right form whatever the language.
        QCOMPARE(dialog->layoutDirection(), Qt::LeftToRight);
    }
    QCOMPARE(general.windowTitle(), QString("Quorvin"));
    QCOMPARE(PowerOnDialog().windowTitle(), QString("Quorvin"));
    // The notice keeps its form's title until its owner gives it one.
    QCOMPARE(notice.windowTitle(), QString("Dialog"));
    notice.setTitle("Quorvin");
    QCOMPARE(notice.windowTitle(), QString("Quorvin"));
}

void TestKitWidgets::dialogButtons()
{
    GeneralMsgDialog general;
    general.setMessage("Done");
    QCOMPARE(general.labelMessage->text(), QString("Done"));
    general.show();
    QTest::mouseClick(general.btnOk, Qt::LeftButton);
    QVERIFY(!general.isVisible());

    ConfirmDialog confirm;
    QCOMPARE(confirm.labelMessage->text(), QString("Are you sure [operation]?"));
    QSignalSpy confirmed(&confirm, &ConfirmDialog::confirmed);
    bool visibleWhenConfirmed = true;
    connect(&confirm, &ConfirmDialog::confirmed, [&] { visibleWhenConfirmed = confirm.isVisible(); });
    confirm.show();
    QTest::mouseClick(confirm.btnCancel, Qt::LeftButton);
    QCOMPARE(confirmed.count(), 0);
    confirm.show();
    QTest::mouseClick(confirm.btnOk, Qt::LeftButton);
    QCOMPARE(confirmed.count(), 1);
    QVERIFY(!visibleWhenConfirmed); // closed first, so the receiver may open another dialog

    NotificationDialog notice;
    notice.setContent("Check your mail");
    QCOMPARE(notice.labelMessage->text(), QString("<p style=\"line-height:130%\">Check your mail</p>"));
    QSignalSpy ok(&notice, &NotificationDialog::sendClickOK);
    QSignalSpy cancelled(&notice, &NotificationDialog::closeNotificationDialog);
    notice.show();
    QTest::mouseClick(notice.btnOk, Qt::LeftButton);
    notice.show();
    QTest::mouseClick(notice.btnCancel, Qt::LeftButton);
    QCOMPARE(ok.count(), 1);
    QCOMPARE(cancelled.count(), 1);
    QVERIFY(!notice.isVisible());

    DeleteScheduleDialog schedule;
    QCOMPARE(schedule.labelMessage->text(), QString("Are you sure you want to delete this schedule?"));
    schedule.setText("Delete it?");
    QCOMPARE(schedule.labelMessage->text(), QString("<p style=\"line-height:130%\">Delete it?</p>"));
    QSignalSpy yes(&schedule, &DeleteScheduleDialog::sendClickOK);
    QSignalSpy no(&schedule, &DeleteScheduleDialog::closeNotificationDialog);
    QTest::mouseClick(schedule.btnOk, Qt::LeftButton);
    QTest::mouseClick(schedule.btnCancel, Qt::LeftButton);
    QCOMPARE(yes.count(), 1);
    QCOMPARE(no.count(), 1);

    PowerOnDialog powerOn;
    QSignalSpy powerYes(&powerOn, &PowerOnDialog::sendClickOk);
    QTest::mouseClick(powerOn.btnCancel, Qt::LeftButton);
    QTest::mouseClick(powerOn.btnOk, Qt::LeftButton);
    QCOMPARE(powerYes.count(), 1);

    PowerOnNotification wired;
    QCOMPARE(wired.btnOk->text(), QString("Save"));
    QSignalSpy saved(&wired, &PowerOnNotification::sendClickOk);
    wired.show();
    QTest::mouseClick(wired.btnOk, Qt::LeftButton);
    QCOMPARE(saved.count(), 1);
    QVERIFY(!wired.isVisible());
}

void TestKitWidgets::deleteManagementOkOnly()
{
    DeleteManagementDialog dialog;
    dialog.setTitle("Remove");
    dialog.setText("Remove the device?");
    QCOMPARE(dialog.windowTitle(), QString("Remove"));
    QSignalSpy yes(&dialog, &DeleteManagementDialog::sendClickOK);
    QSignalSpy closed(&dialog, &DeleteManagementDialog::closeNotificationDialog);

    dialog.setOkOnly(true);
    dialog.show();
    QVERIFY(dialog.btnOk->isHidden());
    QVERIFY(dialog.btnCancel->isVisible());
    QCOMPARE(dialog.btnCancel->text(), QString("OK"));
    QVERIFY(dialog.label->alignment() & Qt::AlignLeft);
    QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
    QCOMPARE(closed.count(), 1);
    QCOMPARE(yes.count(), 0);

    dialog.setOkOnly(false);
    dialog.show();
    QVERIFY(dialog.btnOk->isVisible());
    QVERIFY(dialog.btnCancel->isVisible());
    QCOMPARE(dialog.btnOk->text(), QString("Yes"));
    QCOMPARE(dialog.btnCancel->text(), QString("No"));
    QCOMPARE(dialog.label->alignment(), Qt::AlignCenter);
    QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
    QCOMPARE(yes.count(), 1);
}

void TestKitWidgets::switchControl()
{
    SwitchControl control(nullptr, false);
    const int knob = ScaleMath::truncScaled(16, m_scale);
    QCOMPARE(control.size(), scaled({41, 21}, m_scale));
    QCOMPARE(control.knobSize(), knob);
    QCOMPARE(control.sizeHint(), QSize(2 * (knob + 3), knob + 6));
    control.show();
    QVERIFY(QTest::qWaitForWindowExposed(&control));
    const double offEnd = knob / 2;
    const double onEnd = control.width() - knob;
    QCOMPARE(control.knobPosition(), offEnd);

    // A click flips it and reports at once; the knob then moves a pixel per step.
    QSignalSpy toggled(&control, &SwitchControl::toggled);
    press(&control);
    release(&control);
    QCOMPARE(toggled.count(), 1);
    QCOMPARE(toggled.first().first().toBool(), true);
    QVERIFY(control.isToggled());
    const int steps = int(onEnd - offEnd);
    if (m_scale == 1.0)
        QCOMPARE(steps, 17); // from 8 to 25
    for (int i = 0; i < steps; ++i)
        control.onTimeout();
    QCOMPARE(control.knobPosition(), onEnd);
    QTest::qWait(60); // its timer stopped at the end
    QCOMPARE(control.knobPosition(), onEnd);

    // Right clicks do nothing; setToggle animates back without a signal.
    press(&control, Qt::RightButton);
    release(&control, Qt::RightButton);
    control.setToggle(false);
    QTRY_COMPARE(control.knobPosition(), offEnd);
    QCOMPARE(toggled.count(), 1);

    // The background tells on, off and disabled apart; a disabled switch ignores clicks.
    auto background = [&control] {
        return control.grab().toImage().pixelColor(control.width() - 4, control.height() / 2);
    };
    const QColor off = background();
    control.setToggle(true);
    QTRY_COMPARE(control.knobPosition(), onEnd);
    const QColor on = background();
    QVERIFY(on.blue() > on.red() + 100); // the on image is blue, not grey
    QVERIFY(qAbs(off.red() - off.blue()) < 10);
    control.setEnabled(false);
    const QColor disabled = background();
    QVERIFY(qAbs(disabled.red() - disabled.blue()) < 10);
    QVERIFY(disabled.red() < off.red());
    press(&control);
    release(&control);
    QCOMPARE(toggled.count(), 1);
    QVERIFY(control.isToggled());
}

void TestKitWidgets::sortingIndicator()
{
    QWidget parent;
    SortingIndicator indicator(&parent);
    indicator.resize(8, 8);
    QCOMPARE(indicator.state(), 2);
    QWidget blank(&parent);
    blank.resize(8, 8);
    const QImage empty = blank.grab().toImage();

    indicator.setState(0);
    const QImage active = indicator.grab().toImage();
    indicator.setState(2);
    const QImage idle = indicator.grab().toImage();
    QVERIFY(active != idle);
    QVERIFY(active != empty);
    indicator.setState(7);
    QCOMPARE(indicator.state(), 7);
    QCOMPARE(indicator.grab().toImage(), empty);
}

void TestKitWidgets::textLabelBadge()
{
    TextLabel badge(nullptr);
    badge.setWarningText("Name already exists");
    QCOMPARE(badge.text(), QString("Name already exists"));
    QCOMPARE(badge.toolTip(), QString("Name already exists"));
    QCOMPARE(badge.height(), ScaleMath::truncScaled(20, m_scale));
    QVERIFY(badge.font().bold());
    const int textWidth = QFontMetrics(badge.font()).boundingRect(badge.text()).width();
    QCOMPARE(badge.width(), ScaleMath::truncScaled(45, m_scale) + textWidth);
    if (m_scale == 1.4)
        QCOMPARE(badge.height(), 28);
    QVERIFY(!badge.isVisible()); // the caller shows it
}

void TestKitWidgets::spinBoxShowsTwoDigits()
{
    ScheduleSettingSpinBox spin(nullptr);
    spin.setRange(0, 59);
    spin.setValue(5);
    QCOMPARE(spin.text(), QString("05"));
    spin.setValue(10);
    QCOMPARE(spin.text(), QString("10"));
    spin.setValue(0);
    QCOMPARE(spin.text(), QString("00"));
}

// What the operator types into a time box is its value: over a selected value, one digit at a time, with Backspace and
// with the arrows. The two digits are shown again once the value is taken (Enter, the arrows).
void TestKitWidgets::spinBoxGivesWhatIsTyped()
{
    ScheduleSettingSpinBox minutes(nullptr);
    minutes.setRange(0, 59);
    minutes.show();
    minutes.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&minutes));
    minutes.setFocus();
    const auto typeOver = [&minutes](int start, const QString &keys) {
        minutes.setValue(start);
        minutes.selectAll();
        QTest::keyClicks(&minutes, keys);
    };

    typeOver(37, "54");
    QCOMPARE(minutes.value(), 54);
    QCOMPARE(minutes.text(), QString("54"));
    typeOver(45, "37");
    QCOMPARE(minutes.value(), 37);
    QCOMPARE(minutes.text(), QString("37"));
    typeOver(12, "07");
    QCOMPARE(minutes.value(), 7);
    QCOMPARE(minutes.text(), QString("07"));
    typeOver(37, "5");
    QCOMPARE(minutes.value(), 5);
    QTest::keyClick(&minutes, Qt::Key_Return);
    QCOMPARE(minutes.value(), 5);
    QCOMPARE(minutes.text(), QString("05"));
    typeOver(37, "60"); // past the range: the 0 is refused
    QCOMPARE(minutes.value(), 6);

    minutes.setValue(37);
    QTest::keyClick(&minutes, Qt::Key_End);
    QTest::keyClick(&minutes, Qt::Key_Backspace);
    QCOMPARE(minutes.value(), 3);
    QTest::keyClicks(&minutes, "1");
    QCOMPARE(minutes.value(), 31);
    QCOMPARE(minutes.text(), QString("31"));

    minutes.setValue(9);
    QTest::keyClick(&minutes, Qt::Key_Up);
    QCOMPARE(minutes.text(), QString("10"));
    QTest::keyClick(&minutes, Qt::Key_Down);
    QTest::keyClick(&minutes, Qt::Key_Down);
    QCOMPARE(minutes.value(), 8);
    QCOMPARE(minutes.text(), QString("08"));
    // The arrows leave the value selected, so digits typed next replace it.
    QTest::keyClicks(&minutes, "42");
    QCOMPARE(minutes.value(), 42);
    QVERIFY(minutes.prefix().isEmpty());
}

// A dialog placed at a point stays there where it fits on the screen, is moved only as far as keeps it inside where it
// would reach past an edge, and one larger than the screen keeps its top-left corner on it.
void TestKitWidgets::dialogPlacedInsideTheScreen()
{
    QWidget owner;
    owner.resize(300, 200);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    const QRect area = owner.screen()->availableGeometry();
    QDialog dialog;
    dialog.setFixedSize(200, 100);
    // Not shown yet, the dialog is given a frame like its owner's.
    const QSize frame = dialog.size() + owner.frameGeometry().size() - owner.size();
    const int right = area.right() - frame.width() + 1;
    const int bottom = area.bottom() - frame.height() + 1;

    DialogPlacementRule::placeInsideScreen(&dialog, area.topLeft() + QPoint(25, 81), &owner);
    QCOMPARE(dialog.pos(), area.topLeft() + QPoint(25, 81));
    DialogPlacementRule::placeInsideScreen(&dialog, QPoint(area.right() - 150, area.top() + 10), &owner);
    QCOMPARE(dialog.pos(), QPoint(right, area.top() + 10));
    DialogPlacementRule::placeInsideScreen(&dialog, QPoint(area.left() + 10, area.bottom() - 40), &owner);
    QCOMPARE(dialog.pos(), QPoint(area.left() + 10, bottom));
    DialogPlacementRule::placeInsideScreen(&dialog, area.bottomRight() + QPoint(300, 300), &owner);
    QCOMPARE(dialog.pos(), QPoint(right, bottom));

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    DialogPlacementRule::placeInsideScreen(&dialog, area.bottomRight() - QPoint(150, 40), &owner);
    QTRY_VERIFY(area.contains(dialog.frameGeometry()));
    dialog.hide();

    dialog.setFixedSize(area.width() + 50, area.height() + 20);
    DialogPlacementRule::placeInsideScreen(&dialog, area.topLeft() + QPoint(30, 30), &owner);
    QCOMPARE(dialog.pos(), area.topLeft());
}

void TestKitWidgets::lineEdits()
{
    CustomLineEditText edit(nullptr);
    QVERIFY(!edit.hasFrame());
    int pos = 0;
    QString typed = "room/1";
    QCOMPARE(edit.validator()->validate(typed, pos), QValidator::Invalid);
    // At most 34 characters, a surrogate pair counting as one: earlier versions stored 32 emoji, 64 UTF-16 units.
    for (const QString &character : {QStringLiteral("k"), QString::fromUcs4(U"\U0001F600")}) {
        typed = character.repeated(34);
        QCOMPARE(edit.validator()->validate(typed, pos), QValidator::Acceptable);
        QVERIFY(edit.maxLength() >= typed.size());
        typed += character;
        QCOMPARE(edit.validator()->validate(typed, pos), QValidator::Invalid);
    }
    typed = "Room 1 (left)";
    QCOMPARE(edit.validator()->validate(typed, pos), QValidator::Acceptable);

    QSignalSpy focussed(&edit, &CustomLineEditText::focussed);
    edit.setDefaultStyle();
    edit.setText("User Email");
    QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&edit, &focusIn);
    QCOMPARE(edit.text(), QString());
    QVERIFY(edit.styleSheet().contains("#ffffff"));
    QCOMPARE(focussed.count(), 1);

    CustomLineEditText typedEdit(nullptr);
    typedEdit.setText("admin@example.com");
    typedEdit.setHintMode(true);
    QApplication::sendEvent(&typedEdit, &focusIn);
    QCOMPARE(typedEdit.text(), QString("admin@example.com"));
    QCOMPARE(typedEdit.echoMode(), QLineEdit::Password);

    ScheduleLineEdit schedule(nullptr);
    QCOMPARE(schedule.maxLength(), 32);
    QSignalSpy scheduleFocus(&schedule, &ScheduleLineEdit::focussed);
    QApplication::sendEvent(&schedule, &focusIn);
    QCOMPARE(scheduleFocus.count(), 1);
    QVERIFY(schedule.styleSheet().startsWith("background-color: #3f3f3f;"));
}

// A style sheet's text colour wins the placeholder back at every polish; the keeper wins it again,
// and asking twice for one edit leaves one keeper with the last colour.
void TestKitWidgets::placeholderColourSurvivesStyleSheets()
{
    QLineEdit edit;
    edit.setPlaceholderText(QStringLiteral("Search"));
    PlaceholderColour::keep(&edit);
    edit.setStyleSheet(QStringLiteral("QLineEdit{color: #ffffff;background-color: #333333;}"));
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QCOMPARE(edit.palette().color(QPalette::Active, QPalette::PlaceholderText), PlaceholderColour::grey());
    edit.setStyleSheet(QStringLiteral("QLineEdit{color: #fefefe;}"));
    QCOMPARE(edit.palette().color(QPalette::Inactive, QPalette::PlaceholderText), PlaceholderColour::grey());

    const QColor other(0x40, 0x80, 0xc0);
    PlaceholderColour::keep(&edit, other);
    QCOMPARE(edit.findChildren<PlaceholderColour *>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    edit.setStyleSheet(QStringLiteral("QLineEdit{color: #ffffff;}"));
    QCOMPARE(edit.palette().color(QPalette::Active, QPalette::PlaceholderText), other);
}

void TestKitWidgets::mouseWidgets()
{
    ClickableLabel label(nullptr);
    label.resize(20, 20);
    QSignalSpy clicked(&label, &ClickableLabel::clicked);
    press(&label);
    QCOMPARE(clicked.count(), 1);

    MainButtonFrame frame(nullptr);
    frame.resize(20, 20);
    QVERIFY(frame.hasMouseTracking());
    QSignalSpy frameClicked(&frame, &MainButtonFrame::clicked);
    QSignalSpy released(&frame, &MainButtonFrame::mouseReleased);
    release(&frame);
    QCOMPARE(released.count(), 1);
    QCOMPARE(frameClicked.count(), 0);
    press(&frame);
    release(&frame);
    release(&frame);
    QCOMPARE(frameClicked.count(), 2);

    CustomFilterWidget filter(nullptr);
    filter.resize(20, 20);
    QSignalSpy pressed(&filter, &CustomFilterWidget::pressEvent);
    press(&filter);
    QCOMPARE(pressed.count(), 1);
}

void TestKitWidgets::comboBox()
{
    QWidget window;
    window.resize(400, 400);
    CustComboBox combo(&window);
    combo.setGeometry(150, 200, 40, 24);
    for (int i = 0; i < 3; ++i)
        combo.addItem(QString("Item %1").arg(i));
    QCOMPARE(combo.maxVisibleItems(), 8);
    QVERIFY(!QApplication::isEffectEnabled(Qt::UI_AnimateCombo));

    combo.applyStyle("QComboBox{color:red;}");
    QCOMPARE(combo.styleSheet(), QString("QComboBox{color:red;}"));
    combo.setTextVisible(false);
    combo.setBackgroundVisible(false);
    combo.applyStyle("QComboBox{color:red;}");
    QVERIFY(combo.styleSheet().startsWith("QComboBox{color:red;} QComboBox {color:rgba(0, 0, 0, 0%);"));
    QVERIFY(combo.styleSheet().endsWith("background-color:rgba(255 , 0 , 0 , 0%);}"));
    combo.setStyleSheet(QString());

    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QSignalSpy shown(&combo, &CustComboBox::isShowPopup);
    QSignalSpy hidden(&combo, &CustComboBox::isHidePopup);

    combo.showPopup();
    auto *popup = combo.findChild<QFrame *>();
    QVERIFY(popup);
    QVERIFY(popup->width() >= 100);
    const QPoint natural = popup->pos();
    combo.hidePopup();

    combo.setPopupPosition(CustComboBox::PopupAbove);
    combo.showPopup();
    QCOMPARE(popup->pos(), QPoint(natural.x(), natural.y() - popup->height() - combo.height()));
    combo.hidePopup();

    combo.setPopupPosition(CustComboBox::PopupRight);
    combo.showPopup();
    QCOMPARE(popup->pos(), QPoint(natural.x() + combo.width(), natural.y() - combo.height()));
    combo.hidePopup();
    QCOMPARE(shown.count(), 3);
    QCOMPARE(hidden.count(), 3);
}

QTEST_MAIN(TestKitWidgets)
#include "tst_shellkit_widgets.moc"
