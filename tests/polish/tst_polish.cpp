// What an operator notices on the screens, read from the widgets as drawn: example texts in grey,
// dark thin scroll bars, row labels that show what fits, a centred warning badge, combo lists
// whose rows line up and grow with the scale, device columns that stay put, and dialogs that open
// over the main window. Runs at scale 1.0 and at 1.4.

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTranslator>
#include <QUdpSocket>
#include <QXmlStreamReader>
#include <QtTest>

#include <memory>

#include "accounts/AccountOverview.h"
#include "accounts/AccountRegisterDialog.h"
#include "accounts/AccountReportDialog.h"
#include "accounts/AccountTableModel.h"
#include "accounts/BindCardPassedDialog.h"
#include "accounts/CreateAccountPasswordDialog.h"
#include "accounts/DeviceListDialog.h"
#include "accounts/EditMultiUserDialog.h"
#include "accounts/ImportListDialog.h"
#include "accounts/UserPasswordNewDialog.h"
#include "accounts/UserRules.h"
#include "broadcast/BroadcastContentEditor.h"
#include "broadcast/BroadcastMessageDialog.h"
#include "broadcast/BroadcastReportDialog.h"
#include "broadcast/BroadcastSchedule.h"
#include "datastore/DbResult.h"
#include "datastore/OrvantaDBManager.h"
#include "devices/ConnectedList.h"
#include "devices/DeviceTableModel.h"
#include "devices/ImportDialog.h"
#include "devices/ImportErrorDialog.h"
#include "devices/Management.h"
#include "devices/ManagementAddDevice.h"
#include "devices/ManagementAutoDetect.h"
#include "devices/ManagementEditDevice.h"
#include "devices/ManagementGroupDialog.h"
#include "devices/ManagementShowIPInfo.h"
#include "emergency/NotifyDownloadDialog.h"
#include "emergency/Ui_NotifyDownloadDialog.h"
#include "firmware/OtaServerConfig.h"
#include "firmware/pages/OtaScheduleSetting.h"
#include "network/NetworkConfig.h"
#include "network/SsdpMessage.h"
#include "network/UPnPServer.h"
#include "scheduling/AutoTestScheduleSetting.h"
#include "scheduling/DeviceControlScheduleSetting.h"
#include "scheduling/Scheduling.h"
#include "scheduling/Scheduling_Setting.h"
#include "shell/app/CheckPasswordDialog.h"
#include "shell/app/FrameLayoutPage.h"
#include "shell/app/LanguageDialog.h"
#include "shell/app/Settings.h"
#include "shell/app/StartupLanguage.h"
#include "shell/app/UserInfoDialog.h"
#include "shell/base/Clock.h"
#include "shell/base/Session.h"
#include "shell/kit/EventLogDialog.h"
#include "shell/kit/EventLogModel.h"
#include "shell/kit/FileChooser.h"
#include "shell/kit/GeneralMsgDialog.h"
#include "shell/kit/PowerOnDialog.h"
#include "shell/kit/PowerOnNotification.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/TextLabel.h"
#include "shell/kit/UiHelpers.h"
#include "support/CheckCells.h"
#include "support/HanText.h"
#include "support/LoopbackNetwork.h"
#include "support/PanelUsers.h"
#include "support/StoredAccount.h"
#include "support/TestEnv.h"
#include "tools/localhttp/LocalHttpServer.h"
#include "tools/otafixture/OtaFixture.h"

namespace {

// The brightest grey level of a line edit's text: right of where its text starts (an icon may
// sit left of it), inside its border.
int brightestText(QLineEdit *edit)
{
    edit->setCursorPosition(0);
    const QImage image = edit->grab().toImage();
    const int left = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().left() + 3;
    int brightest = 0;
    for (int y = 2; y < image.height() - 2; ++y) {
        for (int x = left; x < image.width() - 2; ++x)
            brightest = qMax(brightest, qGray(image.pixel(x, y)));
    }
    return brightest;
}

int meanGrey(QWidget *widget)
{
    const QImage image = widget->grab().toImage();
    qint64 sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            sum += qGray(image.pixel(x, y));
    }
    return image.isNull() ? -1 : int(sum / (image.width() * image.height()));
}

// The first column, left of right, in which a row of the image differs clearly from its background.
int inkLeft(const QImage &image, const QRect &rect)
{
    const int background = qGray(image.pixel(rect.right() - 2, rect.center().y()));
    for (int x = rect.left(); x < rect.right(); ++x) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            if (qAbs(qGray(image.pixel(x, y)) - background) > 80)
                return x;
        }
    }
    return -1;
}

QList<int> columnEdges(QTableView *table)
{
    QList<int> edges;
    for (int column = 0; column < table->model()->columnCount(); ++column) {
        if (!table->isColumnHidden(column))
            edges << table->columnViewportPosition(column) << table->columnWidth(column);
    }
    return edges;
}

int visibleColumnsWidth(QTableView *table)
{
    int width = 0;
    for (int column = 0; column < table->model()->columnCount(); ++column) {
        if (!table->isColumnHidden(column))
            width += table->columnWidth(column);
    }
    return width;
}

QPoint frameCentre(QWidget *widget)
{
    const QRect frame = widget->frameGeometry();
    return QPoint((frame.left() + frame.right()) / 2, (frame.top() + frame.bottom()) / 2);
}

// The source texts that the English translation corrects: every message whose English differs from its source.
QSet<QString> correctedSources()
{
    QSet<QString> corrected;
    QFile file(QStringLiteral(QV_LANG_SOURCE_DIR "/Orvanta_en_US.ts"));
    if (!file.open(QIODevice::ReadOnly))
        return corrected;
    QXmlStreamReader xml(&file);
    QString source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            // A count's forms are nested in its translation.
            const QString english = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            if (english != source)
                corrected.insert(source);
        }
    }
    return corrected;
}

// What a window shows in words: the texts and tool tips of its labels and buttons, its fields' example texts.
QStringList shownTexts(QWidget *window)
{
    QStringList texts{window->windowTitle()};
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    widgets.prepend(window);
    for (QWidget *widget : qAsConst(widgets)) {
        texts << widget->toolTip();
        if (auto *label = qobject_cast<QLabel *>(widget))
            texts << label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            texts << button->text();
        else if (auto *edit = qobject_cast<QLineEdit *>(widget))
            texts << edit->placeholderText();
    }
    return texts;
}

// Answers the file dialogs in place of the operator and notes where each one opened.
class RecordingChooser : public FileChooser
{
public:
    QString answer;
    QStringList folders;
    QString getSaveFileName(QWidget *, const QString &, const QString &dir, const QString &) override
    {
        folders << dir;
        return answer;
    }
    QString getOpenFileName(QWidget *, const QString &, const QString &dir, const QString &) override
    {
        folders << dir;
        return answer;
    }
};

QString fileText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Runs `check` once with the source texts and once in Traditional Chinese; windows made inside see the language.
template <typename Check> void inBothLanguages(Check check)
{
    check(QStringLiteral("en"));
    QTranslator chinese;
    QVERIFY(chinese.load(QStringLiteral(QV_LANG_BUILD_DIR "/Orvanta_zh_TW.qm")));
    QCoreApplication::installTranslator(&chinese);
    const auto removeChinese = qScopeGuard([&chinese] { QCoreApplication::removeTranslator(&chinese); });
    check(QStringLiteral("zh_TW"));
}

// The lines a word-wrapping label breaks its text into at its width.
QStringList wrappedLines(const QLabel *label)
{
    QTextDocument document;
    document.setDefaultFont(label->font());
    document.setDocumentMargin(0);
    document.setPlainText(label->text());
    document.setTextWidth(label->contentsRect().width());
    document.size(); // lays the text out
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextLayout *layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i)
            lines << block.text().mid(layout->lineAt(i).textStart(), layout->lineAt(i).textLength());
    }
    return lines;
}

// How far the darkest or brightest pixel of an image is from the image's commonest grey.
int inkContrast(const QImage &image)
{
    QHash<int, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            ++counts[qGray(image.pixel(x, y))];
    }
    int background = 0;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it) {
        if (it.value() > counts.value(background))
            background = it.key();
    }
    int contrast = 0;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it)
        contrast = qMax(contrast, qAbs(it.key() - background));
    return contrast;
}

// Types into a time box as an operator does, and tells where the value differs from what was typed: over a selected
// value (10 or more, so that no leading zero stands in the way), one digit and Enter, Backspace and the arrows.
QStringList typingFaults(QSpinBox *box)
{
    QStringList wrong;
    const auto expect = [&wrong, box](const QString &what, int value, const QString &text) {
        if (box->value() != value || box->text() != text)
            wrong << QStringLiteral("%1 of %2, %3: %4 shown, %5 held, %6 expected")
                         .arg(box->objectName(), QLatin1String(box->window()->metaObject()->className()), what,
                              box->text())
                         .arg(box->value())
                         .arg(text);
    };
    if (!box->isVisible() || !box->isEnabled())
        return {QStringLiteral("%1 of %2 cannot be typed into")
                    .arg(box->objectName(), QLatin1String(box->window()->metaObject()->className()))};
    box->setFocus();
    const auto typeOver = [box](int start, const QString &keys) {
        box->setValue(start);
        box->selectAll();
        QTest::keyClicks(box, keys);
    };
    typeOver(17, QStringLiteral("21"));
    expect(QStringLiteral("21 over 17"), 21, QStringLiteral("21"));
    typeOver(21, QStringLiteral("13"));
    expect(QStringLiteral("13 over 21"), 13, QStringLiteral("13"));
    if (box->maximum() >= 59) {
        typeOver(37, QStringLiteral("54"));
        expect(QStringLiteral("54 over 37"), 54, QStringLiteral("54"));
        typeOver(45, QStringLiteral("37"));
        expect(QStringLiteral("37 over 45"), 37, QStringLiteral("37"));
    }
    typeOver(13, QStringLiteral("5"));
    QTest::keyClick(box, Qt::Key_Return);
    expect(QStringLiteral("5 and Enter over 13"), 5, QStringLiteral("05"));
    box->setValue(13);
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, QStringLiteral("0"));
    expect(QStringLiteral("Backspace and 0 after 13"), 10, QStringLiteral("10"));
    box->setValue(9);
    QTest::keyClick(box, Qt::Key_Up);
    expect(QStringLiteral("Up from 09"), 10, QStringLiteral("10"));
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Down);
    expect(QStringLiteral("Down twice from 10"), 8, QStringLiteral("08"));
    // Both digits have room in the box.
    auto *edit = box->findChild<QLineEdit *>();
    if (edit && edit->fontMetrics().horizontalAdvance(QStringLiteral("00")) > edit->width())
        wrong << box->objectName() + QStringLiteral(" has no room for two digits");
    return wrong;
}

// A panel's search for the console from that loopback address, as the discovery responder hears it.
bool sendSearch(const QString &address, const QString &mac, const QString &model)
{
    QUdpSocket from;
    if (!from.bind(QHostAddress(address), 0))
        return false;
    SsdpSearch message;
    message.searchTarget = QString::fromLatin1(SsdpMessage::kServiceType);
    message.mac = mac;
    message.model = model;
    message.deviceType = QStringLiteral("Control Box");
    message.displayClientVersion = QStringLiteral("1.1.1030.30");
    return from.writeDatagram(SsdpMessage::buildSearch(message, QStringLiteral("239.255.255.250:1988")),
                              QHostAddress(QHostAddress::LocalHost), UPnPServer::getInstance()->boundPort(0)) > 0;
}

} // namespace

class TestPolish : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void exampleTextsAreGrey();
    void searchBoxesOfThePagesAreGrey();
    void scrollBarsAreDarkAndThin();
    void rowLabelsShowWhatFits();
    void warningBadgeIsCentred();
    void comboListsLineUpAndScale();
    void emptyControlPageNamesTheWayToDevices();
    void deviceColumnsStayPut();
    void autoDetectNamesReadWhole();
    void autoDetectWorksFromTheKeyboard();
    void dialogsOpenOverTheMainWindow();
    void cameraRowFitsTheDeviceForms();
    void accountTableStaysUnderItsHeaderAfterTheReport();
    void englishCorrectionsShowInEveryWindow();
    void fileDialogsSpeakChinese();
    void everyFilePickerOpensInOneFolder();
    void savedFilesGetTheirSuffix();
    void userSettingsShowWhereTheKeyboardIs();
    void broadcastTargetsReadWhole();
    void deviceTabsAndNoticesReadWhole();
    void addDeviceRefusalReadsWhole();
    void reminderNamesWhatSetupUpdateLists();
    void timeBoxesGiveWhatIsTyped();
    void noticesCloseWithEnter();
    void otherNoticesAndAddUserTakeEnter();
    void syncReportStaysOnTheScreen();

private:
    std::unique_ptr<TestEnv> m_env;
};

void TestPolish::initTestCase()
{
    m_env = std::make_unique<TestEnv>();
    QVERIFY(m_env->isValid());
    initScaleFactor(0, 0);
    const double expected = qgetenv("QT_FONT_DPI").toInt() > 96 ? 1.4 : 1.0;
    QCOMPARE(getScaleFactor(), expected);
    isAdminLogin = true;

    NetworkConfig::setCurrent(loopbackNetworkConfig(m_env->home()));

    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QVERIFY(OrvantaDBManager::startupError().isEmpty());
    for (int i = 0; i < 8; ++i) {
        VelkGroups group;
        group.groupName = QStringLiteral("Floor %1").arg(i + 1);
        group.groupType = QStringLiteral("Control Box");
        QCOMPARE(db->createGroups(group), DB_OK);
    }
    for (int i = 0; i < 20; ++i) {
        VelkIFPDevice device;
        device.deviceName = QStringLiteral("Room %1").arg(101 + i);
        device.ipAddress = QStringLiteral("192.168.10.%1").arg(20 + i);
        device.macAddress = QStringLiteral("00:11:22:33:10:%1").arg(i, 2, 16, QLatin1Char('0'));
        device.deviceType = QStringLiteral("Control Box");
        QCOMPARE(db->createIFPDevice(device), DB_OK);
    }
    VelkAccount admin = storedAccount(true);
    admin.email = QStringLiteral("it-office@school.example");
    QCOMPARE(db->updateAccount(admin), DB_OK);
}

void TestPolish::cleanup()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        widget->hide();
}

// Example texts are drawn grey, typed text white, also after the search box is reset.
void TestPolish::exampleTextsAreGrey()
{
    Management page;
    page.resize(ScaleMath::truncScaled(900, getScaleFactor()), ScaleMath::truncScaled(600, getScaleFactor()));
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.clickAddDevice();
    ManagementAddDevice *add = page.addDeviceDialog();
    QVERIFY(add->isVisible());
    page.editDevice(0);
    ManagementEditDevice *edit = page.editDeviceDialog();
    QVERIFY(edit->isVisible());

    page.clickGroups();
    QLineEdit *groupName = page.groupDialog()->editGroupName;
    QList<QLineEdit *> fields{page.lineEditSearch, groupName};
    for (DeviceFormDialog *dialog : {static_cast<DeviceFormDialog *>(add), static_cast<DeviceFormDialog *>(edit)})
        fields << dialog->editName << dialog->editIp << dialog->editMac << dialog->editLocation;
    QTest::qWait(20);
    int shown = 0;
    for (QLineEdit *field : fields) {
        field->clearFocus();
        field->clear();
        if (field->placeholderText().isEmpty())
            continue;
        ++shown;
        const int grey = brightestText(field);
        QVERIFY2(grey > 0x60, qPrintable(field->objectName())); // something is drawn
        QVERIFY2(grey <= 0xb0,
                 qPrintable(QStringLiteral("%1: example text at grey level %2").arg(field->objectName()).arg(grey)));
        field->setText(QStringLiteral("Typed"));
        QVERIFY2(brightestText(field) >= 0xe0, qPrintable(field->objectName()));
        field->clear();
    }
    QCOMPARE(shown, 10);
    page.resetSearchBox();
    QVERIFY(brightestText(page.lineEditSearch) <= 0xb0);
}

// The schedule, broadcast, firmware and account windows have search boxes of their own; each keeps
// its example text grey after the window is shown and rescaled.
void TestPolish::searchBoxesOfThePagesAreGrey()
{
    ManualClock clock(QDateTime(QDate(2027, 3, 1), QTime(9, 0)));
    Scheduling scheduling(&clock);
    BroadcastReportDialog broadcastReport;
    BroadcastSchedule broadcastTargets(nullptr, &clock);
    OtaScheduleSetting otaSetting;
    AccountReportDialog accountReport;
    DeviceListDialog deviceList;
    const QList<QPair<QWidget *, QLineEdit *>> boxes{{&scheduling, scheduling.lineEditFilter},
                                                     {&broadcastReport, broadcastReport.lineEditFilter},
                                                     {&broadcastTargets, broadcastTargets.lineEditFilter},
                                                     {&otaSetting, otaSetting.lineEditFilter},
                                                     {&accountReport, accountReport.lineEditFilter},
                                                     {&deviceList, deviceList.lineEditFilter}};
    for (const auto &box : boxes) {
        box.first->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.first));
        QLineEdit *field = box.second;
        field->setVisible(true);
        field->clearFocus();
        field->clear();
        QVERIFY2(!field->placeholderText().isEmpty(), box.first->metaObject()->className());
        const int grey = brightestText(field);
        QVERIFY2(grey > 0x60 && grey <= 0xb0, qPrintable(QStringLiteral("%1: example text at grey level %2")
                                                             .arg(QLatin1String(box.first->metaObject()->className()))
                                                             .arg(grey)));
        box.first->hide();
    }
}

// Every list and table of the device dialogs scrolls with the dark thin bar of the device forms.
void TestPolish::scrollBarsAreDarkAndThin()
{
    Management page;
    page.resize(ScaleMath::truncScaled(900, getScaleFactor()), ScaleMath::truncScaled(400, getScaleFactor()));
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.clickAutoDetect();
    ManagementAutoDetect *detect = page.autoDetectDialog();
    detect->tableDevices->setRowCount(30);
    page.clickAddDevice();
    page.editDevice(0);
    page.clickGroups();
    ManagementGroupDialog *groups = page.groupDialog();
    groups->listGroups->setCurrentRow(0);
    page.showFilter();
    QTest::qWait(50);

    const QList<QPair<const char *, QAbstractScrollArea *>> areas{
        {"auto-detect table", detect->tableDevices},
        {"add device groups", page.addDeviceDialog()->listGroups},
        {"edit device groups", page.editDeviceDialog()->listGroups},
        {"group members", groups->listMembers},
        {"device table", page.tableDevices},
        {"group filter", page.listFilter}};
    const int thin = qMax(1, int(10 * getScaleFactor()));
    for (const auto &area : areas) {
        QScrollBar *bar = area.second->verticalScrollBar();
        QVERIFY2(bar->isVisible(), area.first);
        const int grey = meanGrey(bar);
        QVERIFY2(grey <= 128, qPrintable(QStringLiteral("%1: mean grey %2").arg(QLatin1String(area.first)).arg(grey)));
        QVERIFY2(bar->width() == thin,
                 qPrintable(QStringLiteral("%1: %2 px").arg(QLatin1String(area.first)).arg(bar->width())));
    }
}

// A row label shows its whole text when that fits its width in the font it is drawn in, and
// what it shows never runs past its edge. "Confirm Password:" and "Data Management:" fit at both scales.
void TestPolish::rowLabelsShowWhatFits()
{
    UserInfoDialog dialog(storedAccount(true), nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.showChangePassword();
    QTest::qWait(20);
    QStringList wrong;
    for (QLabel *label : {dialog.label, dialog.label_2, dialog.lbPassword, dialog.lbPasswordConfirm,
                          dialog.lbDataManagement, dialog.lbLanguage}) {
        const QFontMetricsF drawn(label->font());
        const int room = label->contentsRect().width();
        if (drawn.horizontalAdvance(label->text()) > room)
            wrong << label->text() + QStringLiteral(" runs past the edge");
        if (label->text() != label->toolTip() && drawn.horizontalAdvance(label->toolTip()) <= room)
            wrong << label->text() + QStringLiteral(" is cut though the whole text fits");
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
    QCOMPARE(dialog.lbPasswordConfirm->text(), QStringLiteral("Confirm Password:"));
    QCOMPARE(dialog.lbDataManagement->text(), QStringLiteral("Data Management:"));
    // The fields beside the labels still start at one line.
    QSet<int> fieldLefts;
    for (QWidget *field :
         {static_cast<QWidget *>(dialog.lineEditEmail), static_cast<QWidget *>(dialog.btnChangePassword),
          static_cast<QWidget *>(dialog.lineEditPassword), static_cast<QWidget *>(dialog.lineEditPasswordConfirm),
          static_cast<QWidget *>(dialog.btnBackup), static_cast<QWidget *>(dialog.comboBoxLang)})
        fieldLefts.insert(field->mapTo(&dialog, QPoint(0, 0)).x());
    QCOMPARE(fieldLefts.size(), 1);
}

// The red badge's text has as much room on its left as on its right.
void TestPolish::warningBadgeIsCentred()
{
    UserInfoDialog dialog(storedAccount(true), nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.showChangePassword();
    dialog.lineEditPassword->setText(QStringLiteral("first"));
    dialog.lineEditPasswordConfirm->setText(QStringLiteral("second"));
    dialog.writeSetting();
    TextLabel *badge = dialog.lbMessage;
    QVERIFY(badge->isVisible());
    QCOMPARE(badge->text(), QStringLiteral("The Password do not match."));
    QTest::qWait(20);

    const QImage image = badge->grab().toImage();
    int left = -1;
    int right = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qGreen(image.pixel(x, y)) > 160) { // the white text on the red ground
                if (left < 0)
                    left = x;
                right = x;
            }
        }
    }
    QVERIFY(left > 0 && right > left);
    const int leftGap = left;
    const int rightGap = image.width() - 1 - right;
    QVERIFY2(qAbs(leftGap - rightGap) <= 2,
             qPrintable(QStringLiteral("%1 px left, %2 px right").arg(leftGap).arg(rightGap)));
}

// The rows of the device-type and language lists start their text at the same place, current
// row included, and are as high as the scale makes the form's rows.
void TestPolish::comboListsLineUpAndScale()
{
    auto *management = new Management;
    Settings settings(management);
    settings.show();
    UserInfoDialog dialog(storedAccount(true), nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    const int rowHeight = int(22 * getScaleFactor());
    for (QComboBox *combo : {settings.cbDeviceType, static_cast<QComboBox *>(dialog.comboBoxLang)}) {
        combo->setCurrentIndex(0);
        combo->showPopup();
        QTest::qWait(50);
        QAbstractItemView *view = combo->view();
        const QImage image = view->viewport()->grab().toImage();
        QList<int> lefts;
        QList<int> heights;
        for (int row = 0; row < combo->count(); ++row) {
            const QRect rect = view->visualRect(view->model()->index(row, 0));
            lefts << inkLeft(image, rect);
            heights << rect.height();
        }
        combo->hidePopup();
        const QString seen =
            QStringLiteral("%1: text at %2, rows %3 high")
                .arg(combo->objectName())
                .arg(QStringList(QStringList() << QString::number(lefts.value(0)) << QString::number(lefts.value(1)))
                         .join(QLatin1Char('/')))
                .arg(heights.value(0));
        const bool lineUp = lefts.first() >= 0 && qAbs(lefts.at(0) - lefts.at(1)) <= 1;
        QVERIFY2(lineUp, qPrintable(seen));
        for (int height : heights) {
            QVERIFY2(height >= rowHeight, qPrintable(seen));
        }
    }
}

// The empty Device Control page sends the operator where the navigation has the devices.
void TestPolish::emptyControlPageNamesTheWayToDevices()
{
    ConnectedList page;
    const QString hint = page.labelEmptyHint->text();
    QVERIFY2(!hint.contains(QStringLiteral("Devices page")), qPrintable(hint));
    QVERIFY2(hint.contains(QStringLiteral("Settings")) && hint.contains(QStringLiteral("Devices")), qPrintable(hint));
}

// The device table's columns fill the room beside the scroll bar, also when the bar appears
// while the tab shows, and are where they were when the operator comes back to the tab.
void TestPolish::deviceColumnsStayPut()
{
    auto *management = new Management;
    Settings settings(management);
    settings.resize(ScaleMath::truncScaled(940, getScaleFactor()), ScaleMath::truncScaled(641, getScaleFactor()));
    QTableView *table = management->tableDevices;
    // The tab opens with one device listed and no scroll bar; then all twenty show, as after an import.
    management->lineEditSearch->setText(QStringLiteral("Room 101"));
    management->applySearch();
    settings.show();
    QVERIFY(QTest::qWaitForWindowExposed(&settings));
    QTest::qWait(50);
    QVERIFY(!table->verticalScrollBar()->isVisible());
    management->lineEditSearch->clear();
    QTRY_COMPARE(table->model()->rowCount(), 20);
    QTRY_VERIFY(table->verticalScrollBar()->isVisible());
    const QList<int> first = columnEdges(table);
    const int firstFill = visibleColumnsWidth(table);
    const int firstRoom = table->viewport()->width();

    settings.btnUserAccountsClicked();
    QTest::qWait(20);
    settings.btnDevicesClicked();
    QTest::qWait(50);
    QCOMPARE(firstFill, firstRoom);
    QCOMPARE(columnEdges(table), first);
}

// A suggestion that a managed device's name made free with " (2)" was cut off in the name column, with no tool tip:
// each row read as the managed device's name. A panel listed by its address alone has its address in its name.
void TestPolish::autoDetectNamesReadWhole()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    const QStringList taken = {QStringLiteral("Velk TM B-Series-0901"), QStringLiteral("Velk TM B-Series 86-0902")};
    QList<VelkIFPDevice> managed;
    for (int i = 0; i < taken.size(); ++i) {
        VelkIFPDevice device;
        device.deviceName = taken.at(i);
        device.ipAddress = QStringLiteral("10.9.0.%1").arg(i + 1);
        device.macAddress = QStringLiteral("00:11:22:33:09:%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        device.deviceType = QStringLiteral("Control Box");
        QCOMPARE(db->createIFPDevice(device), DB_OK);
        managed << device;
    }
    const auto removeManaged = qScopeGuard([&] {
        for (VelkIFPDevice &device : managed)
            db->deleteIFPDevice(device);
    });
    const QList<QStringList> searches = {{"127.0.9.1", "02:51:4e:00:09:01", "Velk TM B-Series"},
                                         {"127.0.9.2", "02:51:4e:00:09:02", "Velk TM B-Series 86"},
                                         {"127.0.9.3", "00:00:00:00:00:00", "Velk TM B-Series 86"}};
    for (const QStringList &search : searches)
        QVERIFY(sendSearch(search.at(0), search.at(1), search.at(2)));
    // Heard before the dialog opens, as a fleet that powered up earlier: the rows are there when it is shown.
    const auto heardHere = [] {
        int heard = 0;
        for (const VelkIFPDevice &device : UPnPServer::getInstance()->heardDevices())
            heard += device.ipAddress.startsWith(QLatin1String("127.0.9.")) ? 1 : 0;
        return heard;
    };
    QTRY_COMPARE(heardHere(), 3);
    const QStringList expected = {QStringLiteral("Velk TM B-Series-0901 (2)"),
                                  QStringLiteral("Velk TM B-Series 86-0902 (2)"),
                                  QStringLiteral("Velk TM B-Series 86-127.0.9.3")};

    // In both languages every cell reads whole: a long name suggested from an address cut the model short in Chinese
    // at 1.4 ("Velk …eries"), and the MAC cell of that device says "By IP address" in either language.
    inBothLanguages([&](const QString &language) {
        Management page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.clickAutoDetect();
        ManagementAutoDetect *detect = page.autoDetectDialog();
        QVERIFY(QTest::qWaitForWindowExposed(detect));
        QTableWidget *table = detect->tableDevices;
        const auto shown = [table] {
            QStringList names;
            for (int row = 0; row < table->rowCount(); ++row)
                names << table->item(row, 0)->text();
            return names;
        };
        const auto allShown = [&] {
            const QStringList names = shown();
            return std::all_of(expected.begin(), expected.end(),
                               [&](const QString &name) { return names.contains(name); });
        };
        QTRY_VERIFY2(allShown(), qPrintable(shown().join(QStringLiteral(", "))));
        // A cell shown whole looks the same in a far wider column; one cut short ends in an ellipsis there. The frame
        // of the current row, drawn while the list has the keys, ends with the row: the list gives the keys away.
        table->clearFocus();
        QStringList cut;
        for (int row = 0; row < table->rowCount(); ++row) {
            if (!expected.contains(table->item(row, 0)->text()))
                continue;
            for (int column = 0; column < table->columnCount(); ++column) {
                QTableWidgetItem *item = table->item(row, column);
                table->scrollToItem(item);
                const int columnWidth = table->columnWidth(column);
                const QRect cell = table->visualItemRect(item);
                const QImage shownImage = table->viewport()->grab(cell).toImage();
                table->setColumnWidth(column, columnWidth + 400);
                const QImage wideImage = table->viewport()->grab(cell).toImage();
                table->setColumnWidth(column, columnWidth);
                if (shownImage != wideImage)
                    cut << QStringLiteral("%1 in %2 px (%3)").arg(item->text()).arg(columnWidth).arg(language);
                QCOMPARE(item->toolTip().isEmpty(), false);
            }
            QCOMPARE(table->item(row, 0)->toolTip(), table->item(row, 0)->text());
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral("; "))));
        const int byAddress = shown().indexOf(expected.last());
        QCOMPARE(table->item(byAddress, 2)->text(),
                 language == QLatin1String("en") ? QStringLiteral("By IP address") : QString::fromUtf8("依 IP 位址"));
        // The columns still fill the table, the model's last.
        QCOMPARE(visibleColumnsWidth(table), table->viewport()->width());
        QVERIFY(table->columnWidth(3) > 0);
        detect->close();
    });
}

// Auto Detect ignored Tab, Space and Enter: nothing in its list was current, so Space ticked no row, Tab walked the
// cells, and Enter pressed nothing; then the current row was not shown. The list has the keys when it opens: the arrows
// move between the rows, Space ticks one, Tab leaves for the buttons, and Enter adds what is ticked; Enter that ends a
// name being typed only ends it.
void TestPolish::autoDetectWorksFromTheKeyboard()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    const QStringList macs = {QStringLiteral("02:51:4e:00:0a:01"), QStringLiteral("02:51:4e:00:0a:02")};
    for (int i = 0; i < macs.size(); ++i)
        QVERIFY(sendSearch(QStringLiteral("127.0.10.%1").arg(i + 1), macs.at(i), QStringLiteral("Velk TM K-Series")));
    Management page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.clickAutoDetect();
    ManagementAutoDetect *detect = page.autoDetectDialog();
    QVERIFY(QTest::qWaitForWindowActive(detect));
    QTableWidget *table = detect->tableDevices;
    const auto rowOf = [detect](const QString &mac) {
        const QList<VelkIFPDevice> listed = detect->listedDevices();
        for (int row = 0; row < listed.size(); ++row) {
            if (listed.at(row).macAddress == mac)
                return row;
        }
        return -1;
    };
    QTRY_VERIFY(rowOf(macs.at(0)) >= 0 && rowOf(macs.at(1)) >= 0);
    const auto removeAdded = qScopeGuard([db] {
        QList<VelkIFPDevice> all;
        db->queryAllAvailableIFP(all);
        for (VelkIFPDevice &device : all) {
            if (device.macAddress.startsWith(QLatin1String("02:51:4e:00:0a:")))
                db->deleteIFPDevice(device);
        }
    });
    const auto key = [detect](Qt::Key pressed, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        // Where the window system sends keys: to the active window, which hands them to its focus widget.
        QTest::keyClick(detect->windowHandle(), pressed, modifiers);
    };
    const auto checked = [table](int row) { return table->item(row, 0)->checkState() == Qt::Checked; };
    QVERIFY(table->hasFocus());
    // Walk to the first of the two and tick it; tick the next and take it back.
    const int first = rowOf(macs.at(0));
    // Bounded by the row count: a key that does not move the current row must fail here, not spin.
    for (int presses = 0; presses < table->rowCount() && table->currentIndex().row() < first; ++presses)
        key(Qt::Key_Down);
    for (int presses = 0; presses < table->rowCount() && table->currentIndex().row() > first; ++presses)
        key(Qt::Key_Up);
    QCOMPARE(table->currentIndex().row(), first);
    // The row the keys reach is marked while the list has them: the list shows no selection and no focus frame.
    QCOMPARE(rowsMarkedForTheKeys(table), QSet<int>({first}));
    key(Qt::Key_Space);
    QVERIFY(checked(first));
    const int second = rowOf(macs.at(1));
    table->setCurrentIndex(table->model()->index(second, 0));
    key(Qt::Key_Space);
    QVERIFY(checked(second));
    key(Qt::Key_Space);
    QVERIFY(!checked(second));

    // Tab leaves the list for the buttons, and comes back.
    key(Qt::Key_Tab);
    QVERIFY(qobject_cast<QPushButton *>(QApplication::focusWidget()));
    QVERIFY(detect->isAncestorOf(QApplication::focusWidget()));
    key(Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(table->hasFocus());

    // Enter that ends a typed name only ends it; the next Enter adds the ticked device, by that name.
    table->setCurrentIndex(table->model()->index(first, 0));
    key(Qt::Key_F2);
    QLineEdit *editor = table->viewport()->findChild<QLineEdit *>();
    QVERIFY(editor && editor->isVisible());
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Keyboard panel"));
    key(Qt::Key_Return);
    QTRY_COMPARE(table->item(first, 0)->text(), QStringLiteral("Keyboard panel"));
    QVERIFY(detect->isVisible());
    key(Qt::Key_Return);
    QTRY_VERIFY(!detect->isVisible());
    QList<VelkIFPDevice> all;
    QCOMPARE(db->queryAllAvailableIFP(all), DB_OK);
    QStringList added;
    for (const VelkIFPDevice &device : qAsConst(all)) {
        if (device.macAddress.startsWith(QLatin1String("02:51:4e:00:0a:")))
            added << device.deviceName;
    }
    QCOMPARE(added, QStringList{QStringLiteral("Keyboard panel")});
}

// The device dialogs open centred on the console's window, wherever that window is, as far as the
// screen lets them.
void TestPolish::dialogsOpenOverTheMainWindow()
{
    QWidget window;
    auto *management = new Management(&window);
    window.resize(500, 400);
    management->resize(window.size());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect area = window.screen()->availableGeometry();
    // Off the screen's centre, but where the smaller dialogs fit around the window's centre.
    window.move(area.center() + QPoint(40, 10) -
                QPoint(window.frameGeometry().width() / 2, window.frameGeometry().height() / 2));
    QTest::qWait(20);
    const QPoint centre = frameCentre(&window);
    QVERIFY(centre != area.center());

    management->clickAddDevice();
    management->editDevice(0);
    management->clickGroups();
    management->clickAutoDetect();
    int centred = 0;
    for (QDialog *dialog :
         {static_cast<QDialog *>(management->addDeviceDialog()), static_cast<QDialog *>(management->editDeviceDialog()),
          static_cast<QDialog *>(management->groupDialog()), static_cast<QDialog *>(management->autoDetectDialog())}) {
        QVERIFY(dialog->isVisible());
        QRect wanted = dialog->frameGeometry();
        wanted.translate(centre - frameCentre(dialog));
        if (!area.contains(wanted)) {
            // Too big to sit there: it stays on the screen.
            QVERIFY2(dialog->frameGeometry().left() >= area.left() && dialog->frameGeometry().top() >= area.top(),
                     qPrintable(dialog->objectName()));
            continue;
        }
        ++centred;
        const QPoint offset = frameCentre(dialog) - centre;
        QVERIFY2(offset.manhattanLength() <= 1, qPrintable(QStringLiteral("%1 is %2, %3 px off the window's centre")
                                                               .arg(dialog->objectName())
                                                               .arg(offset.x())
                                                               .arg(offset.y())));
    }
    QVERIFY(centred >= 2);
}

// The add and edit forms give audio boxes a camera row and take it out again for the other
// devices: the rows below move with it, Save stays inside the form, and the size comes back.
void TestPolish::cameraRowFitsTheDeviceForms()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    VelkIFPDevice box;
    box.deviceName = QStringLiteral("Gate Box");
    box.macAddress = QStringLiteral("00:11:22:33:20:01");
    box.deviceType = QStringLiteral("Audio Box");
    box.ptzCamera = QStringLiteral("Hall camera, east entrance");
    QCOMPARE(db->createIFPDevice(box), DB_OK);
    auto fits = [](DeviceFormDialog *form) {
        const QWidget *above = form->cameraRowShown() ? form->editCamera : form->editLocation;
        return form->btnCamera->y() == form->editCamera->y() && form->listGroups->y() > above->geometry().bottom() &&
               form->btnSave->geometry().bottom() < form->height();
    };

    Management page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.setPageMode(1);
    page.clickAddDevice();
    ManagementAddDevice *add = page.addDeviceDialog();
    QVERIFY(add->editCamera->isVisible() && add->btnCamera->isVisible() && fits(add));
    const QSize withRow = add->size();
    page.editDevice(page.deviceModel()->rowOfName(box.deviceName));
    ManagementEditDevice *edit = page.editDeviceDialog();
    QVERIFY(edit->editCamera->isVisible() && fits(edit));
    QCOMPARE(edit->editCamera->text(), box.ptzCamera);

    page.setPageMode(0);
    page.clickAddDevice();
    QVERIFY(!add->editCamera->isVisible() && !add->btnCamera->isVisible() && fits(add));
    QCOMPARE(add->height(), withRow.height() - (add->lbCamera->y() - add->lbLocation->y()));
    page.editDevice(0);
    QVERIFY(!edit->editCamera->isVisible() && fits(edit));
    page.setPageMode(1);
    page.clickAddDevice();
    QCOMPARE(add->size(), withRow);
    QCOMPARE(db->deleteIFPDevice(box), DB_OK);
}

// A click on a user's Status opens the synchronisation report; when it closes, the table body is where it was: no
// sideways scroll without a scroll bar, every column under its header label.
void TestPolish::accountTableStaysUnderItsHeaderAfterTheReport()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    for (const QString &name : {QStringLiteral("teacher1a"), QStringLiteral("Bob")})
        QVERIFY(createPanelUser(db, name, QStringLiteral("abcd")) != 0);
    Settings settings(new Management);
    settings.show();
    QVERIFY(QTest::qWaitForWindowExposed(&settings));
    settings.btnUserAccountsClicked();
    AccountOverview *overview = settings.findChild<AccountOverview *>();
    QTableView *table = overview->tableWidget;
    const QList<QLabel *> headers{overview->deviceControlHeaderUserName,   overview->deviceControlHeaderPassword,
                                  overview->deviceControlHeaderBindCard,   overview->deviceControlHeaderUserSettings,
                                  overview->deviceControlHeaderSeparation, overview->deviceControlHeaderIfpAccess,
                                  overview->deviceControlHeaderSelect,     overview->deviceControlHeaderStatus};
    // The header labels stand over the table's frame, the columns inside it.
    auto offHeader = [&]() {
        QStringList wrong;
        for (int column = 0; column < headers.size(); ++column) {
            const int body = table->mapTo(overview, QPoint(table->columnViewportPosition(column), 0)).x();
            const int header = headers.at(column)->mapTo(overview, QPoint(0, 0)).x();
            if (header != body)
                wrong << QStringLiteral("column %1 at %2 under its header at %3").arg(column).arg(body).arg(header);
        }
        return wrong.join(QStringLiteral("; "));
    };
    QCOMPARE(offHeader(), QString());
    for (int row = 0; row < 2; ++row) {
        const QRect status = table->visualRect(table->model()->index(row, AccountTableModel::StatusColumn));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, status.center());
        QVERIFY(overview->report()->isVisible());
        // The view scrolls to a pressed cell after the double-click interval.
        QTest::qWait(QApplication::doubleClickInterval() + 200);
        overview->report()->close();
        QCOMPARE(table->horizontalScrollBar()->value(), 0);
        QCOMPARE(table->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(offHeader(), QString());
    }
}

// With the English translation in force, no window shows a source text that the English file corrects, whichever
// window (translation context) shows it: the user and password dialogs, the device import, the schedule editors'
// warnings and the power-on notices.
void TestPolish::englishCorrectionsShowInEveryWindow()
{
    const QSet<QString> corrected = correctedSources();
    QVERIFY(corrected.contains(QStringLiteral("Paswsord:")));
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(QV_LANG_BUILD_DIR "/Orvanta_en_US.qm")));
    QCoreApplication::installTranslator(&english);
    const auto removeEnglish = qScopeGuard([&english] { QCoreApplication::removeTranslator(&english); });

    EditMultiUserDialog editUser;
    UserPasswordNewDialog userPassword;
    CreateAccountPasswordDialog accountPassword;
    UserInfoDialog userSettings(storedAccount(true), nullptr);
    CheckPasswordDialog checkPassword;
    ImportDialog import;
    ImportErrorDialog importError;
    PowerOnNotification powerOnNotice;
    PowerOnDialog powerOnQuestion;
    Scheduling scheduling;
    for (SettingsPasswordDialog *dialog : {static_cast<SettingsPasswordDialog *>(&userPassword),
                                           static_cast<SettingsPasswordDialog *>(&accountPassword)}) {
        dialog->show();
        dialog->findChild<QLineEdit *>(QStringLiteral("lineEditPassword"))->setText(QStringLiteral("first"));
        dialog->findChild<QLineEdit *>(QStringLiteral("lineEditPasswordConfirm"))->setText(QStringLiteral("second"));
        dialog->findChild<QAbstractButton *>(QStringLiteral("btnSave"))->click();
    }
    userSettings.show();
    userSettings.showChangePassword();
    userSettings.lineEditPassword->setText(QStringLiteral("first"));
    userSettings.lineEditPasswordConfirm->setText(QStringLiteral("second"));
    userSettings.writeSetting();
    // The schedule editors saved with nothing chosen warn that a schedule is missing.
    Scheduling_Setting *editor = scheduling.settingDialog();
    editor->show();
    for (int page : {1, 3}) {
        editor->switchToPage(page);
        editor->scheduleStackedWidget->currentWidget()
            ->findChild<QAbstractButton *>(QStringLiteral("btnSave"))
            ->click();
    }

    QStringList wrong;
    for (QWidget *window :
         std::initializer_list<QWidget *>{&editUser, &userPassword, &accountPassword, &userSettings, &checkPassword,
                                          &import, &importError, &powerOnNotice, &powerOnQuestion, editor}) {
        for (const QString &text : shownTexts(window)) {
            if (corrected.contains(text))
                wrong << QStringLiteral("%1 shows \"%2\"").arg(QLatin1String(window->metaObject()->className()), text);
        }
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
    QCOMPARE(editUser.label_2->toolTip(), QStringLiteral("Password:"));
    QCOMPARE(userPassword.lbMessage->toolTip(), QStringLiteral("The passwords do not match."));
    QCOMPARE(editor->deviceControlPage()->warningText(), QStringLiteral("Please select at least one schedule."));
    QCOMPARE(editor->autoTestPage()->warningText(), QStringLiteral("Please select at least one schedule."));
}

// In Chinese the toolkit's own file dialogs are Chinese too: "Look in", "File name", "Files of type" and the buttons.
void TestPolish::fileDialogsSpeakChinese()
{
    QTranslator toolkit;
    if (!StartupLanguage::loadToolkit(toolkit, QStringLiteral("zh_TW")))
        QSKIP("Qt's own Traditional Chinese texts are not installed here (qttranslations5-l10n)");
    QCoreApplication::installTranslator(&toolkit);
    const auto removeToolkit = qScopeGuard([&toolkit] { QCoreApplication::removeTranslator(&toolkit); });

    QFileDialog dialog(nullptr, QString(), FileChooser::startFolder(), QStringLiteral("CSV Files (*.csv)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QStringList english;
    for (const char *name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
        auto *label = dialog.findChild<QLabel *>(QLatin1String(name));
        QVERIFY2(label, name);
        if (!containsHan(label->text()))
            english << label->text();
    }
    const QList<QAbstractButton *> buttons = dialog.findChild<QDialogButtonBox *>()->buttons();
    QCOMPARE(buttons.size(), 2);
    for (QAbstractButton *button : buttons) {
        if (!containsHan(button->text()))
            english << button->text();
    }
    QVERIFY2(english.isEmpty(), qPrintable(english.join(QStringLiteral(", "))));
}

// Every file dialog that names a start folder opens in the same one: the device and user lists, the database backup
// and the broadcast's own audio alike. The event log's export names none and opens where the console was started.
void TestPolish::everyFilePickerOpensInOneFolder()
{
    RecordingChooser chooser;
    FileChooser::setInstance(&chooser);
    const auto restore = qScopeGuard([] { FileChooser::setInstance(nullptr); });
    ImportDialog devices;
    devices.labelDownloadSample->clicked();
    devices.btnImport->click();
    ImportListDialog users;
    users.downloadExample();
    users.importButtonClicked();
    UserInfoDialog userSettings(storedAccount(true), nullptr);
    userSettings.backupDb();
    userSettings.restoreDb();
    BroadcastContentEditor content;
    content.radioButtonUserSelect->click();

    QCOMPARE(chooser.folders.size(), 7);
    QCOMPARE(QSet<QString>(chooser.folders.begin(), chooser.folders.end()), QSet<QString>{FileChooser::startFolder()});
    QVERIFY(QFileInfo(FileChooser::startFolder()).isDir());
}

// A device or user list saved without typing ".csv" gets the ending, so the next Import List shows it; the database
// backup gets ".db", which restoring asks for, and the event log's export ".txt". A file that already has the name with
// the ending is never replaced, since the dialog asked only about the name as typed.
void TestPolish::savedFilesGetTheirSuffix()
{
    QCOMPARE(FileChooser::withSuffix(QStringLiteral("/a/List.CSV"), QStringLiteral("csv"), nullptr),
             QStringLiteral("/a/List.CSV"));
    QCOMPARE(FileChooser::withSuffix(QStringLiteral("/a/list."), QStringLiteral("csv"), nullptr),
             QStringLiteral("/a/list.csv"));
    QCOMPARE(FileChooser::withSuffix(QStringLiteral("/a/list.txt"), QStringLiteral("csv"), nullptr),
             QStringLiteral("/a/list.txt.csv"));

    QTemporaryDir folder;
    const QString base = folder.path() + QLatin1Char('/');
    QVERIFY(writeFile(base + QStringLiteral("kept.csv"), "kept"));
    QVERIFY(writeFile(base + QStringLiteral("kept.db"), "kept"));
    RecordingChooser chooser;
    FileChooser::setInstance(&chooser);
    const auto restore = qScopeGuard([] { FileChooser::setInstance(nullptr); });

    ImportDialog devices;
    chooser.answer = base + QStringLiteral("devices");
    devices.labelDownloadSample->clicked();
    QVERIFY(fileText(base + QStringLiteral("devices.csv")).startsWith(QStringLiteral("\"Group")));
    QVERIFY(!QFile::exists(base + QStringLiteral("devices")));
    chooser.answer = base + QStringLiteral("kept");
    devices.labelDownloadSample->clicked();
    QCOMPARE(fileText(base + QStringLiteral("kept.csv")), QStringLiteral("kept"));
    auto *notice = devices.findChild<GeneralMsgDialog *>();
    QVERIFY(notice && notice->isVisible());
    QVERIFY(notice->labelMessage->text().contains(QStringLiteral("kept.csv")));

    ImportListDialog users;
    chooser.answer = base + QStringLiteral("users");
    users.downloadExample();
    QVERIFY(fileText(base + QStringLiteral("users.csv")).contains(QStringLiteral("Name")));
    chooser.answer = base + QStringLiteral("kept");
    users.downloadExample();
    QCOMPARE(fileText(base + QStringLiteral("kept.csv")), QStringLiteral("kept"));

    UserInfoDialog userSettings(storedAccount(true), nullptr);
    chooser.answer = base + QStringLiteral("backup");
    userSettings.backupDb();
    QTRY_VERIFY(!userSettings.isCopying());
    QVERIFY(QFileInfo(base + QStringLiteral("backup.db")).size() > 0);
    chooser.answer = base + QStringLiteral("kept");
    userSettings.backupDb();
    QCOMPARE(fileText(base + QStringLiteral("kept.db")), QStringLiteral("kept"));

    // The event log's export offers "*.txt".
    QVERIFY(writeFile(base + QStringLiteral("kept.txt"), "kept"));
    EventLogDialog eventLog;
    chooser.answer = base + QStringLiteral("events");
    eventLog.btnExportClicked();
    // Written on a thread of its own.
    QTRY_VERIFY(!eventLog.logModel()->isExporting());
    QVERIFY(fileText(base + QStringLiteral("events.txt")).startsWith(QStringLiteral("Device Name")));
    QVERIFY(!QFile::exists(base + QStringLiteral("events")));
    chooser.answer = base + QStringLiteral("Events.TXT");
    eventLog.btnExportClicked();
    QTRY_VERIFY(!eventLog.logModel()->isExporting());
    QVERIFY(QFile::exists(base + QStringLiteral("Events.TXT")));
    QVERIFY(!QFile::exists(base + QStringLiteral("Events.TXT.txt")));
    chooser.answer = base + QStringLiteral("kept");
    eventLog.btnExportClicked();
    QCOMPARE(fileText(base + QStringLiteral("kept.txt")), QStringLiteral("kept"));
    auto *eventNotice = eventLog.findChild<GeneralMsgDialog *>();
    QVERIFY(eventNotice && eventNotice->isVisible());
    QVERIFY(eventNotice->labelMessage->text().contains(QStringLiteral("kept.txt")));
}

// User Settings, walked with Tab: the focus goes down the form as it reads, and every stop looks different while it
// has the keyboard. The Language box opens on a click as well as with the keyboard.
void TestPolish::userSettingsShowWhereTheKeyboardIs()
{
    UserInfoDialog dialog(storedAccount(true), nullptr);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    dialog.showChangePassword();
    dialog.lineEditEmail->setFocus();
    const QList<QWidget *> stops{dialog.btnChangePassword, dialog.lineEditPassword, dialog.lineEditPasswordConfirm,
                                 dialog.btnBackup,         dialog.btnRestore,       dialog.comboBoxLang,
                                 dialog.btnCancel,         dialog.btnSave};
    QStringList wrong;
    for (QWidget *stop : stops) {
        const QImage before = stop->grab().toImage();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        if (QApplication::focusWidget() != stop) {
            wrong << QStringLiteral("%1 expected, %2 has the focus")
                         .arg(stop->objectName(),
                              QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString());
            stop->setFocus(Qt::TabFocusReason);
        }
        if (stop->grab().toImage() == before)
            wrong << stop->objectName() + QStringLiteral(" looks the same with the keyboard");
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));

    QTest::mouseClick(dialog.comboBoxLang, Qt::LeftButton);
    QTRY_VERIFY(dialog.comboBoxLang->view()->isVisible());
    dialog.comboBoxLang->hidePopup();
}

// The broadcast's first step, in both languages: every device type stands on one line in its column, the month's
// drop-down mark stays off the month's name, and a disabled "Next" can still be read.
void TestPolish::broadcastTargetsReadWhole()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QList<VelkIFPDevice> added;
    for (const char *type : {"Audio Box", "Control Box"}) {
        VelkIFPDevice device;
        device.deviceName = QStringLiteral("Hall %1").arg(QLatin1String(type));
        device.macAddress = QStringLiteral("00:11:22:33:30:0%1").arg(added.size());
        device.deviceType = QLatin1String(type);
        device.modelName = QStringLiteral("Velk TM B-Series");
        device.displayClientVersion = QStringLiteral("1.1.1030.30");
        QCOMPARE(db->createIFPDevice(device), DB_OK);
        added << device;
    }
    const auto removeDevices = qScopeGuard([db, &added] {
        for (VelkIFPDevice &device : added)
            db->deleteIFPDevice(device);
    });
    ManualClock clock(QDateTime(QDate(2027, 3, 1), QTime(9, 0)));
    inBothLanguages([&clock](const QString &language) {
        BroadcastSchedule step(nullptr, &clock);
        step.resize(ScaleMath::truncScaled(874, getScaleFactor()), ScaleMath::truncScaled(539, getScaleFactor()));
        step.newBroadcast();
        step.show();
        QVERIFY(QTest::qWaitForWindowExposed(&step));
        QTableView *table = step.tableWidgetDevice;
        const QFontMetrics metrics(table->font());
        QStringList cut;
        for (int row = 0; row < rowCount(table); ++row) {
            const QString type = cellText(table, row, 4);
            // The cells keep a 10 px left padding.
            if (metrics.horizontalAdvance(type) + ScaleMath::truncScaled(10, getScaleFactor()) > table->columnWidth(4))
                cut << type;
        }
        QVERIFY2(cut.isEmpty(), qPrintable(language + QStringLiteral(": ") + cut.join(QStringLiteral(", "))));

        // December's name with no drop-down mark over it: the month button draws as if it had no list.
        auto *month = step.calendarWidget->findChild<QToolButton *>(QStringLiteral("qt_calendar_monthbutton"));
        QVERIFY(month && month->menu());
        step.calendarWidget->setCurrentPage(2027, 12);
        QTest::qWait(20);
        QMenu *list = month->menu();
        const QImage withList = month->grab().toImage();
        month->setMenu(nullptr);
        const QImage plain = month->grab().toImage();
        month->setMenu(list);
        QVERIFY2(withList == plain, qPrintable(language + QStringLiteral(": a mark is drawn on the month")));

        QVERIFY(!step.btnNext->isEnabled());
        // Where "Next" is written: the middle of the button, clear of its edges.
        const QImage next = step.btnNext->grab().toImage();
        const int contrast = inkContrast(next.copy(
            next.rect().adjusted(next.width() / 4, next.height() / 4, -next.width() / 4, -next.height() / 4)));
        QVERIFY2(contrast >= 48,
                 qPrintable(QStringLiteral("%1: disabled Next at contrast %2").arg(language).arg(contrast)));
    });
}

// The audio-box view of the Devices tab and the camera notice, in both languages: the Add Audio Box groups hint shows
// whole, no tab separator stands after the only tab, and the path to the camera setting never breaks inside an arrow.
void TestPolish::deviceTabsAndNoticesReadWhole()
{
    inBothLanguages([](const QString &language) {
        auto *management = new Management;
        Settings settings(management);
        settings.show();
        QVERIFY(QTest::qWaitForWindowExposed(&settings));
        settings.cbDeviceType->setCurrentIndex(1);
        QVERIFY(!settings.btnUserAccounts->isVisible());
        QVERIFY2(!settings.widget->isVisible(), qPrintable(language + QStringLiteral(": separator after Devices")));
        management->clickAddDevice();
        ManagementAddDevice *add = management->addDeviceDialog();
        QVERIFY(add->isVisible());
        QCOMPARE(add->listGroups->count(), 1); // the groups of the test are of the other device type
        QListWidgetItem *hint = add->listGroups->item(0);
        const QRect shown = add->listGroups->visualItemRect(hint);
        const QRect needed =
            QFontMetrics(add->listGroups->font())
                .boundingRect(QRect(0, 0, shown.width() - 8, 10000), int(Qt::TextWordWrap), hint->text());
        QVERIFY2(
            needed.height() <= shown.height() && add->listGroups->viewport()->rect().contains(shown),
            qPrintable(
                QStringLiteral("%1: hint needs %2 px, has %3").arg(language).arg(needed.height()).arg(shown.height())));
        add->close();
        settings.cbDeviceType->setCurrentIndex(0);
        QVERIFY(settings.widget->isVisible());

        NotifyDownloadDialog notice;
        notice.showDialog(1);
        notice.show();
        QVERIFY(QTest::qWaitForWindowExposed(&notice));
        const QStringList lines = wrappedLines(notice.ui->label_3);
        QVERIFY(lines.size() >= 2);
        for (int i = 0; i + 1 < lines.size(); ++i) {
            QVERIFY2(
                !(lines.at(i).trimmed().endsWith(QLatin1Char('-')) && lines.at(i + 1).startsWith(QLatin1Char('>'))),
                qPrintable(language + QStringLiteral(": ") + lines.join(QStringLiteral(" | "))));
        }
    });
}

// Add Device's refusal of a MAC no network card can have names the way out; the badge keeps its whole text inside the
// dialog, on as many lines as it takes, above the buttons, and gives the room back once the operator types.
void TestPolish::addDeviceRefusalReadsWhole()
{
    inBothLanguages([](const QString &language) {
        Management page;
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        page.setPageMode(0);
        page.clickAddDevice();
        ManagementAddDevice *add = page.addDeviceDialog();
        QVERIFY(QTest::qWaitForWindowExposed(add));
        const QSize plain = add->size();
        const int saveTop = add->btnSave->y();
        add->editName->setText(QStringLiteral("Room 301"));
        add->editIp->setText(QStringLiteral("192.168.10.90"));
        add->editMac->setText(QStringLiteral("00:00:00:00:00:00"));
        add->submit();
        TextLabel *badge = add->labelWarning;
        QVERIFY(badge->isVisible());
        const QString text = badge->text();
        QCOMPARE(text, QCoreApplication::translate("DeviceStore", "No network card has this Mac address (all zeros, "
                                                                  "broadcast or multicast). Leave it empty to match "
                                                                  "the device by its IP address."));
        const QString where = language + QStringLiteral(": ") + text;
        const QRect inDialog(badge->mapTo(add, QPoint(0, 0)), badge->size());
        QVERIFY2(add->rect().contains(inDialog), qPrintable(where));
        // Every line of the text within the badge, and the badge above the buttons.
        const QStringList lines = wrappedLines(badge);
        const QFontMetrics metrics(badge->font());
        int widest = 0;
        for (const QString &line : lines)
            widest = qMax(widest, metrics.horizontalAdvance(line.trimmed()));
        QVERIFY2(widest <= badge->contentsRect().width(), qPrintable(where));
        QVERIFY2(lines.size() * metrics.lineSpacing() <= badge->contentsRect().height() + metrics.leading(),
                 qPrintable(QStringLiteral("%1 (%2 lines in %3 px)")
                                .arg(where)
                                .arg(lines.size())
                                .arg(badge->contentsRect().height())));
        QVERIFY2(add->btnSave->y() > inDialog.bottom(), qPrintable(where));
        QVERIFY2(add->btnSave->geometry().bottom() < add->height(), qPrintable(where));

        // Typing takes the badge away and gives its room back.
        QTest::keyClick(add->editMac, Qt::Key_Backspace);
        QVERIFY(badge->isHidden());
        QCOMPARE(add->size(), plain);
        QCOMPARE(add->btnSave->y(), saveTop);
        add->close();
    });
}

// The firmware reminder names the models whose devices "Setup Update" lists, also when some of them stopped being
// out of date after the reminder came up (a run updated them, or they were removed).
void TestPolish::reminderNamesWhatSetupUpdateLists()
{
    QTemporaryDir folder;
    LocalHttpServer http;
    QString error;
    QVERIFY2(OtaFixture::build(folder.path(), http.url(), 1024, &error), qPrintable(error));
    http.serveFolder(folder.path());
    QSettings ini(OtaServerConfig::defaultSettingsFile(), QSettings::IniFormat);
    ini.setValue(QStringLiteral("Ota/UpdateServer"), http.url());
    ini.setValue(QStringLiteral("Ota/DownloadServer"), http.url());
    ini.sync();
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QList<VelkIFPDevice> fleet;
    for (const FixtureFleet &fixture : OtaFixture::fleets()) {
        for (VelkIFPDevice device : OtaFixture::devices(fixture)) {
            QCOMPARE(db->createIFPDevice(device), DB_OK);
            fleet << device;
        }
    }
    const auto cleanUp = qScopeGuard([&] {
        for (VelkIFPDevice &device : fleet)
            db->deleteIFPDevice(device);
        ini.remove(QStringLiteral("Ota"));
    });

    FrameLayoutPage frame(storedAccount(true));
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QTRY_VERIFY_WITH_TIMEOUT(frame.otaNotificationWidget->isVisible(), 30000);
    auto named = [&frame]() {
        QString title = frame.otaNotificationTitleLabel->toolTip();
        title.remove(QStringLiteral("Update Available for "));
        const QStringList models = title.split(QStringLiteral(" & "));
        return QSet<QString>(models.begin(), models.end());
    };
    QVERIFY(named().size() >= 4);

    // Only the QML8 boxes stay out of date.
    for (VelkIFPDevice &device : fleet) {
        if (device.modelName != QLatin1String("QML8"))
            QCOMPARE(db->deleteIFPDevice(device), DB_OK);
    }
    frame.otaNotificationSetupBtn->click();
    Scheduling_Setting *editor = frame.findChild<Scheduling *>()->settingDialog();
    QTRY_VERIFY_WITH_TIMEOUT(editor->isVisible(), 30000);
    OtaScheduleSetting *page = editor->findChild<OtaScheduleSetting *>();
    QSet<QString> listed;
    for (int row = 0; row < page->tableWidgetDevice->rowCount(); ++row) {
        const QString name = page->tableWidgetDevice->item(row, 2)->text();
        for (const VelkIFPDevice &device : qAsConst(fleet)) {
            if (device.deviceName == name)
                listed.insert(device.modelName);
        }
    }
    QCOMPARE(listed, QSet<QString>{QStringLiteral("QML8")});
    QCOMPARE(named(), listed);
    editor->close();
}

// Every hour and minute box of the device-control, auto-test and firmware schedule windows and of the broadcast's
// schedule step holds what the operator typed, which is what the schedule is saved with.
void TestPolish::timeBoxesGiveWhatIsTyped()
{
    ManualClock clock(QDateTime(QDate(2027, 3, 1), QTime(9, 0)));
    Scheduling page(&clock);
    Scheduling_Setting *editor = page.settingDialog();
    editor->switchToPage(1);
    editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(editor));
    QStringList wrong;
    DeviceControlScheduleSetting *control = editor->deviceControlPage();
    for (QCheckBox *request : {control->checkBox_onTime, control->checkBox_rebootTime, control->checkBox_offTime})
        request->setChecked(true);
    int typedInto = 0;
    for (QSpinBox *box : {control->spinBox_onTime_HR, control->spinBox_onTime_Min, control->spinBox_rebootTime_HR,
                          control->spinBox_rebootTime_Min, control->spinBox_offTime_HR, control->spinBox_offTime_Min}) {
        wrong << typingFaults(box);
        ++typedInto;
    }
    editor->switchToPage(3);
    AutoTestScheduleSetting *autoTest = editor->autoTestPage();
    for (QSpinBox *box : {autoTest->spinBox_onTime_HR, autoTest->spinBox_onTime_Min}) {
        wrong << typingFaults(box);
        ++typedInto;
    }
    editor->switchToPage(2);
    OtaScheduleSetting *firmware = editor->fwUpdatePage();
    // Its start shows once out-of-date devices are ticked; none are here, so it is shown as ticking shows it.
    firmware->selectScheduleWidget->show();
    for (QSpinBox *box : {firmware->spinBox_Time_HR, firmware->spinBox_Time_Min}) {
        wrong << typingFaults(box);
        ++typedInto;
    }
    editor->close();

    // The broadcast's schedule panel shows once a target is checked.
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    VelkIFPDevice panel;
    panel.deviceName = QStringLiteral("Hall Panel");
    panel.macAddress = QStringLiteral("00:11:22:33:40:01");
    panel.deviceType = QStringLiteral("Control Box");
    panel.modelName = QStringLiteral("Velk TM B-Series");
    panel.displayClientVersion = QStringLiteral("1.1.1030.30");
    QCOMPARE(db->createIFPDevice(panel), DB_OK);
    const auto removePanel = qScopeGuard([db, &panel] { db->deleteIFPDevice(panel); });
    BroadcastSchedule step(nullptr, &clock);
    step.resize(ScaleMath::truncScaled(874, getScaleFactor()), ScaleMath::truncScaled(539, getScaleFactor()));
    step.newBroadcast();
    step.show();
    QVERIFY(QTest::qWaitForWindowExposed(&step));
    QVERIFY(rowCount(step.tableWidgetDevice) > 0);
    CheckCell(step.tableWidgetDevice, 0).click();
    step.btnSchedule->click();
    for (QSpinBox *box : {step.spinBox_Time_HR, step.spinBox_Time_Min}) {
        wrong << typingFaults(box);
        ++typedInto;
    }
    QCOMPARE(typedInto, 12);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QStringLiteral("; "))));
}

// The notices that a file was kept and that a new language restarts the console close with Enter, as with OK: the
// keyboard is in them once they show.
void TestPolish::noticesCloseWithEnter()
{
    const auto closesWithEnter = [](QDialog *notice, Qt::Key key) {
        QVERIFY(notice && notice->isVisible());
        QVERIFY(QTest::qWaitForWindowActive(notice));
        // The keys go where the window system sends them: to the active window, which hands them to its focus widget.
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(!focus || focus == notice || notice->isAncestorOf(focus));
        QTest::keyClick(notice->windowHandle(), key);
        QVERIFY2(!notice->isVisible(), notice->metaObject()->className());
    };

    QTemporaryDir folder;
    QVERIFY(writeFile(folder.path() + QStringLiteral("/kept.csv"), "kept"));
    RecordingChooser chooser;
    FileChooser::setInstance(&chooser);
    const auto restore = qScopeGuard([] { FileChooser::setInstance(nullptr); });
    chooser.answer = folder.path() + QStringLiteral("/kept");
    ImportDialog devices;
    devices.labelDownloadSample->clicked();
    closesWithEnter(devices.findChild<GeneralMsgDialog *>(), Qt::Key_Return);
    devices.labelDownloadSample->clicked();
    closesWithEnter(devices.findChild<GeneralMsgDialog *>(), Qt::Key_Enter);

    UserInfoDialog userSettings(storedAccount(true), nullptr);
    userSettings.show();
    QVERIFY(QTest::qWaitForWindowActive(&userSettings));
    userSettings.comboBoxLang->setCurrentIndex(userSettings.comboBoxLang->currentIndex() == 1 ? 2 : 1);
    LanguageDialog *language = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<LanguageDialog *>(widget); found && found->isVisible())
            language = found;
    }
    closesWithEnter(language, Qt::Key_Return);
    QVERIFY(userSettings.isVisible()); // the settings stay open, with the new language chosen but not saved
    userSettings.close();
}

// The notices with one button took Space but not Enter: the power-on notice of the schedule editor, the card notice,
// the device import's error window, a device's IP information and the broadcast editor's notice. Return and the
// keypad's Enter now press their button, and Add User's Next, as sent to the active window.
void TestPolish::otherNoticesAndAddUserTakeEnter()
{
    // Sends the key to the active window, as the window system does, and notes the dialog when it stayed open or its
    // button's signal did not come once.
    QStringList ignored;
    Qt::Key key = Qt::Key_Return;
    const auto press = [&ignored, &key](QDialog *dialog, const QString &what, QSignalSpy *pressed = nullptr) {
        const QString name = what + (key == Qt::Key_Return ? QStringLiteral(" (Return)") : QStringLiteral(" (Enter)"));
        if (!dialog->isVisible())
            dialog->show();
        if (!QTest::qWaitForWindowActive(dialog)) {
            ignored << name + QStringLiteral(" not active");
            return;
        }
        QTest::keyClick(dialog->windowHandle(), key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        if (dialog->isVisible())
            ignored << name;
        else if (pressed && pressed->count() != 1)
            ignored << name + QStringLiteral(" closed without its button");
        dialog->hide();
    };
    for (const Qt::Key sent : {Qt::Key_Return, Qt::Key_Enter}) {
        key = sent;
        PowerOnNotification powerOn;
        QSignalSpy saved(&powerOn, &PowerOnNotification::sendClickOk);
        press(&powerOn, QStringLiteral("power-on notice"), &saved);

        BindCardPassedDialog card;
        QSignalSpy cardTaken(&card, &BindCardPassedDialog::notifyRfidId);
        press(&card, QStringLiteral("card notice"), &cardTaken);

        ImportErrorDialog importError;
        importError.showAt(nullptr, 1, 3, QStringLiteral("The device name is empty."));
        press(&importError, QStringLiteral("import error window"));

        ManagementShowIPInfo ipInfo;
        QSignalSpy ipClosed(&ipInfo, &ManagementShowIPInfo::clickShowIPInfoOK);
        press(&ipInfo, QStringLiteral("IP information"), &ipClosed);

        BroadcastMessageDialog broadcastNotice;
        broadcastNotice.setMessage(QStringLiteral("You can't select the date to broadcast before right now."));
        press(&broadcastNotice, QStringLiteral("broadcast notice"));

        // Add User: Enter in a field is Next, which checks what was typed and keeps the dialog open with its warning;
        // on Cancel it is Cancel.
        AccountRegisterDialog addUser;
        addUser.show();
        QVERIFY(QTest::qWaitForWindowActive(&addUser));
        addUser.lineEditUserName->setText(QStringLiteral("Dana"));
        addUser.lineEditPassword->setText(QStringLiteral("abcd"));
        addUser.lineEditPasswordConfirm->setText(QStringLiteral("abce"));
        addUser.lineEditPasswordConfirm->setFocus();
        QTest::keyClick(addUser.windowHandle(), key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        if (!addUser.isVisible() || addUser.warningText() != UserRules::message(UserRules::PasswordMismatch))
            ignored << QStringLiteral("Add User's Next") +
                           (key == Qt::Key_Return ? QStringLiteral(" (Return)") : QStringLiteral(" (Enter)"));
        addUser.btnCancel->setFocus();
        press(&addUser, QStringLiteral("Add User's Cancel"));
    }
    QVERIFY2(ignored.isEmpty(),
             qPrintable(QStringLiteral("Enter did nothing on: ") + ignored.join(QStringLiteral(", "))));
}

// The Sync report opens at the active window's top-left + (25, 81) times the scale, moved only as far as keeps it on
// the screen: from a window at the screen's top-left and from one near its bottom-right corner.
void TestPolish::syncReportStaysOnTheScreen()
{
    OrvantaDBIntf *db = OrvantaDBManager::getInstance();
    QVERIFY(createPanelUser(db, QStringLiteral("Chen Wei"), QStringLiteral("abcd")) != 0);
    Settings settings(new Management);
    settings.show();
    QVERIFY(QTest::qWaitForWindowActive(&settings));
    settings.btnUserAccountsClicked();
    auto *overview = settings.findChild<AccountOverview *>();
    AccountReportDialog *report = overview->report();
    const QRect area = settings.screen()->availableGeometry();
    const double scale = getScaleFactor();
    const QPoint offset(ScaleMath::truncScaled(25, scale), ScaleMath::truncScaled(81, scale));
    int pulledBack = 0;
    for (const QPoint &corner : {area.topLeft(), area.bottomRight() - QPoint(200, 150)}) {
        settings.move(corner);
        QTRY_COMPARE(settings.pos(), corner);
        settings.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&settings));
        overview->showAccountReportDialog(0);
        QVERIFY(QTest::qWaitForWindowExposed(report));
        const QRect frame = report->frameGeometry();
        const QPoint wanted = settings.mapToGlobal(QPoint(0, 0)) + offset;
        // Where it fits, exactly there; where it does not, against the edge it would pass; larger than the screen,
        // at the screen's top-left.
        const int x = frame.width() > area.width() ? area.left() : qMin(wanted.x(), area.right() + 1 - frame.width());
        const int y =
            frame.height() > area.height() ? area.top() : qMin(wanted.y(), area.bottom() + 1 - frame.height());
        QCOMPARE(frame.topLeft(), QPoint(qMax(x, area.left()), qMax(y, area.top())));
        if (frame.topLeft() != wanted)
            ++pulledBack;
        report->close();
    }
    QVERIFY(pulledBack >= 1);
}

QTEST_MAIN(TestPolish)
#include "tst_polish.moc"
