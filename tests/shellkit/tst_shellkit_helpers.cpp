// The UI kit's helpers: the scale factor and what scales by it, texts, the capability gate and
// the camera filter; and how much of a stored value the views show.
#include "shell/base/BoundedText.h"
#include "shell/kit/FileChooser.h"
#include "shell/kit/FormScale.h"
#include "shell/kit/ScaleMath.h"
#include "shell/kit/UiHelpers.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

class TestUiHelpers : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void scaleFollowsDpiAndScreenHeight_data();
    void scaleFollowsDpiAndScreenHeight();
    void initScaleFactorReadsTheDesktop();
    void secondInitKeepsThePreviousScale();

    void geometryScaling();
    void nothingMovesAtScaleOne();
    void headerRowLayout();

    void styleSheetFontSizes();
    void fontScalingOfWidgets();

    void formScaleProtocol();

    void texts();
    void storedValuesShowWholeUpToTheBound_data();
    void storedValuesShowWholeUpToTheBound();
    void firmwareGate_data();
    void firmwareGate();
    void modelGate();
    void cameraFilter();
    void saveNameKeepsAFileUnderTheAddedEnding();

private:
    static void setScale(double dpi, int height)
    {
        // Twice, so that the previous scale matches too.
        initScaleFactorFor(dpi, height);
        initScaleFactorFor(dpi, height);
    }
};

void TestUiHelpers::init()
{
    setScale(96, 1080);
}

void TestUiHelpers::cleanup()
{
    setScale(96, 1080);
}

void TestUiHelpers::scaleFollowsDpiAndScreenHeight_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("scale");
    QTest::addColumn<double>("dpiRatio");

    QTest::newRow("72 dpi, 1080") << 72.0 << 1080 << 1.0 << 1.0;
    QTest::newRow("72 dpi, 2160") << 72.0 << 2160 << 1.0 << 1.0;
    QTest::newRow("96 dpi, 1080") << 96.0 << 1080 << 1.0 << 1.0;
    QTest::newRow("96 dpi, 2160") << 96.0 << 2160 << 1.0 << 1.0;
    QTest::newRow("120 dpi, 1080") << 120.0 << 1080 << 1.25 << 1.25;
    QTest::newRow("120 dpi, 2160") << 120.0 << 2160 << 1.25 << 1.25;
    QTest::newRow("135 dpi, 1080") << 135.0 << 1080 << 1.4 << 1.40625;
    QTest::newRow("135 dpi, 2160") << 135.0 << 2160 << 1.40625 << 1.40625;
    QTest::newRow("144 dpi, 1080") << 144.0 << 1080 << 1.4 << 1.5;
    QTest::newRow("144 dpi, 2160") << 144.0 << 2160 << 1.5 << 1.5;
    QTest::newRow("240 dpi, 1080") << 240.0 << 1080 << 1.4 << 2.5;
    QTest::newRow("240 dpi, 2160") << 240.0 << 2160 << 2.25 << 2.5;
    QTest::newRow("ratio exactly 1.4 on 2160") << 134.4 << 2160 << 1.4 << 1.4;
    QTest::newRow("2159 pixels is not tall") << 144.0 << 2159 << 1.4 << 1.5;
}

void TestUiHelpers::scaleFollowsDpiAndScreenHeight()
{
    QFETCH(double, dpi);
    QFETCH(int, height);
    QFETCH(double, scale);
    QFETCH(double, dpiRatio);

    const ScaleMath::Factors factors = ScaleMath::factorsFor(dpi, height);
    QCOMPARE(factors.scale, scale);
    QCOMPARE(factors.dpiRatio, dpiRatio);

    initScaleFactorFor(dpi, height);
    QCOMPARE(getScaleFactor(), scale);
    QCOMPARE(getDpiRatio(), dpiRatio);
}

void TestUiHelpers::initScaleFactorReadsTheDesktop()
{
    // ctest runs this program with QT_FONT_DPI=96; the offscreen screen is under 2160 high.
    const double dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchX();
    initScaleFactor(0, 0);
    QCOMPARE(getScaleFactor(), ScaleMath::factorsFor(dpi, 1080).scale);
    initScaleFactor(3840, 2160);
    QCOMPARE(getScaleFactor(), ScaleMath::factorsFor(dpi, 2160).scale);
}

void TestUiHelpers::secondInitKeepsThePreviousScale()
{
    initScaleFactorFor(144, 1080);
    initScaleFactorFor(144, 2160);
    QCOMPARE(getPreviousScaleFactor(), 1.4);
    QCOMPARE(getScaleFactor(), 1.5);
    QCOMPARE(getDpiRatio(), 1.5);
}

void TestUiHelpers::geometryScaling()
{
    setScale(144, 1080);
    QWidget parent;
    QWidget a(&parent), b(&parent), c(&parent);
    a.setGeometry(10, 10, 1, 1);
    b.setGeometry(0, 0, 100, 30);
    // 45 × 1.4 is 62.999... in binary; a pixel must not be lost to that.
    c.setGeometry(45, 90, 45, 85);

    scaleWidgetGeometry(&a, 1.4);
    scaleWidgetGeometry(&b, 0); // 0: the global scale
    scaleWidgetGeometry(&c, 1.4);
    QCOMPARE(a.geometry(), QRect(14, 14, 1, 1));
    QCOMPARE(b.geometry(), QRect(0, 0, 140, 42));
    QCOMPARE(c.geometry(), QRect(63, 126, 63, 119));

    // Sizes stay at least one pixel; a factor that is not a number means the global scale.
    a.setGeometry(5, 5, 1, 1);
    scaleWidgetGeometry(&a, 0.5);
    QCOMPARE(a.geometry(), QRect(2, 2, 1, 1));
    a.setGeometry(10, 10, 10, 10);
    scaleWidgetGeometry(&a, qQNaN());
    QCOMPARE(a.geometry(), QRect(14, 14, 14, 14));
    scaleWidgetGeometry(nullptr, 2.0);
}

void TestUiHelpers::nothingMovesAtScaleOne()
{
    QWidget parent;
    QLabel label(&parent);
    label.setGeometry(10, 20, 30, 40);
    label.setStyleSheet("font-size:10pt;");
    scaleWidgetGeometry(&label, 2.0);
    QCOMPARE(label.geometry(), QRect(10, 20, 30, 40));
    QCOMPARE(scaleLength(10, 2.0, 0), 10.0);
    scaleStyleSheetFontSize(&label, 10, 0, false, false);
    scaleWidgetFonts(&parent, 2.0, false, false);
    QCOMPARE(label.styleSheet(), QString("font-size:10pt;"));
}

void TestUiHelpers::headerRowLayout()
{
    // A table at (10, 50, 300, 200) with a header row of border, three columns and border.
    QRect table(10, 50, 300, 200);
    const QVector<QRect> row{
        {10, 30, 2, 20}, {12, 30, 100, 20}, {112, 30, 100, 20}, {212, 30, 96, 20}, {308, 30, 2, 20}};
    const QVector<QRect> placed = ScaleMath::layoutRow(&table, row, true, 1.4, true);
    QCOMPARE(table, QRect(14, 70, 420, 280));
    QCOMPARE(placed.at(0), QRect(14, 42, 2, 28));
    QCOMPARE(placed.at(1), QRect(16, 42, 140, 28));
    QCOMPARE(placed.at(2), QRect(156, 42, 140, 28));
    // The last but one takes what is left, and the right border ends with the table.
    QCOMPARE(placed.at(4).right(), table.right());
    QCOMPARE(placed.at(4).width(), 2);
    QCOMPARE(placed.at(3).left(), placed.at(2).right() + 1);
    QCOMPARE(placed.at(4).left(), placed.at(3).right() + 1);

    // Without stretching the last but one scales like the other columns.
    QRect table2(10, 50, 300, 200);
    const QVector<QRect> loose = ScaleMath::layoutRow(&table2, row, false, 1.4, false);
    QCOMPARE(loose.at(0), QRect(14, 42, 2, 28));
    QCOMPARE(loose.at(3).width(), 135); // ceil(96 × 1.4 = 134.4)
    QCOMPARE(loose.at(4).left(), loose.at(3).right() + 1);

    // The widget form moves the real widgets.
    setScale(144, 1080);
    QWidget parent;
    QWidget tableWidget(&parent);
    tableWidget.setGeometry(10, 50, 300, 200);
    QList<QWidget *> header;
    for (const QRect &r : row) {
        auto *w = new QWidget(&parent);
        w->setGeometry(r);
        header.append(w);
    }
    scaleWidgetGeometryEx(header, &tableWidget, true, 0, true);
    QCOMPARE(tableWidget.geometry(), table);
    for (int i = 0; i < header.size(); ++i)
        QCOMPARE(header.at(i)->geometry(), placed.at(i));
}

void TestUiHelpers::styleSheetFontSizes()
{
    // Base size 10 at scale 1.4 and DPI ratio 1.5: 1.4 × 10 / 1.5.
    const double size = ScaleMath::scaledLength(10, 1.4, 0, 1.4, 1.0, 1.5);
    QCOMPARE(ScaleMath::formatPointSize(size), QString("9.33333"));
    QCOMPARE(ScaleMath::rewriteFontSizes("QLabel{font: 12pt; color: red; font-size:9.5pt}", size),
             QString("QLabel{font-size:9.33333pt; color: red; font-size:9.33333pt;}"));
    QCOMPARE(ScaleMath::rewriteFontSizes("font: bold 12pt;", size), QString("font: bold 12pt;"));
    QCOMPARE(ScaleMath::rewriteFontSizes("font-size:  11pt;;;x", 12), QString("font-size:12pt;x"));

    // The extra factor applies only while the scale grew from a value above 1.0.
    QCOMPARE(ScaleMath::scaledLength(10, 2.25, 2.0, 2.25, 1.4, 2.5), 18.0);
    QCOMPARE(ScaleMath::scaledLength(10, 1.4, 2.0, 1.4, 1.0, 1.5), 1.4 * 10 / 1.5);
}

void TestUiHelpers::fontScalingOfWidgets()
{
    setScale(144, 1080);
    QWidget form;
    QLabel label(&form);
    label.setStyleSheet("QLabel{font: 12pt; color: red; font-size:9.5pt}");
    scaleStyleSheetFontSize(&label, 10, 0, false, false);
    QCOMPARE(label.styleSheet(), QString("QLabel{font-size:9.33333pt; color: red; font-size:9.33333pt;}"));
    label.ensurePolished();
    QVERIFY(qAbs(label.font().pointSizeF() - 1.4 * 10 / 1.5) < 1e-4);

    // Every descendant, at its own size: a 12-point button becomes 1.4 × 12 / 1.5 points.
    QWidget inner(&form);
    QPushButton button(&inner);
    QFont font = button.font();
    font.setPointSizeF(12);
    button.setFont(font);
    scaleWidgetFonts(&form, 1.4, false, true);
    QCOMPARE(button.font().pointSizeF(), 1.4 * 12 / 1.5);
}

void TestUiHelpers::formScaleProtocol()
{
    // Built and shown at 1.4: scaled once, in the constructor.
    FormScale form;
    QCOMPARE(form.nextFactor(false, 1.4), 1.4);
    QCOMPARE(form.nextFactor(true, 1.4), 0.0);
    // The scale became 2.25: the next show scales by the change only, then nothing more.
    QCOMPARE(form.nextFactor(true, 2.25), 2.25 / 1.4);
    QCOMPARE(form.nextFactor(true, 2.25), 0.0);

    // Two forms of one class both follow a change: each keeps its own applied scale.
    FormScale first, second;
    first.nextFactor(false, 1.4);
    second.nextFactor(false, 1.4);
    QCOMPARE(first.nextFactor(true, 2.25), 2.25 / 1.4);
    QCOMPARE(second.nextFactor(true, 2.25), 2.25 / 1.4);

    // At 1.0 nothing is ever scaled.
    FormScale plain;
    QCOMPARE(plain.nextFactor(false, 1.0), 0.0);
    QCOMPARE(plain.nextFactor(true, 1.0), 0.0);
}

void TestUiHelpers::texts()
{
    QLabel label;
    label.resize(60, 20);
    const QString longText = "A device name that is far too long for its column";
    setElidedLabelText(&label, longText, 60);
    QVERIFY(label.text().endsWith(QChar(0x2026)));
    QVERIFY(label.fontMetrics().horizontalAdvance(label.text()) <= 60);
    setElidedLabelText(&label, longText); // the label's own width
    QVERIFY(label.fontMetrics().horizontalAdvance(label.text()) <= 60);
    setElidedLabelText(&label, "Short", 200);
    QCOMPARE(label.text(), QString("Short"));

    QPushButton button;
    setElidedButtonText(&button, longText, 50);
    QVERIFY(button.text().endsWith(QChar(0x2026)));

    QWidget parent;
    QWidget child(&parent);
    child.setGeometry(10, 7, 30, 5);
    moveToRightEdge(&child, 100);
    QCOMPARE(child.pos(), QPoint(60, 7));

    QCOMPARE(toBase64String("secret"), QString("c2VjcmV0"));
    QCOMPARE(fromBase64String("c2VjcmV0"), QString("secret"));
    QCOMPARE(fromBase64String(toBase64String("pass:word 1")), QString("pass:word 1"));
}

// The longest value each field and file of the console gives shows whole; a value restored or imported of megabytes,
// which views laid out for a minute, shows its first characters and the cut mark, a character outside the basic plane
// counted as one and never split.
void TestUiHelpers::storedValuesShowWholeUpToTheBound_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("shownChars"); // -1: whole
    const QString clef = QString::fromUcs4(U"\U0001D11E");
    constexpr int most = BoundedText::kShownChars;
    QTest::newRow("a name, 32 characters") << QString(32, QLatin1Char('n')) << -1;
    QTest::newRow("a Location typed, 64 characters") << QString(64, QLatin1Char('l')) << -1;
    QTest::newRow("a field a panel reports, 256 characters") << QString(256, QLatin1Char('p')) << -1;
    QTest::newRow("a broadcast message, 300 characters") << QString(300, QLatin1Char('b')) << -1;
    QTest::newRow("a file's path, 4,096 bytes")
        << QStringLiteral("/media/").leftJustified(4096, QLatin1Char('f')) << -1;
    QTest::newRow("a Location from a device file, 5,000 characters") << QString(5000, QLatin1Char('d')) << -1;
    QTest::newRow("as many as are shown") << QString(most, QLatin1Char('a')) << -1;
    QTest::newRow("as many outside the basic plane") << clef.repeated(most) << -1;
    QTest::newRow("one more") << QString(most + 1, QLatin1Char('a')) << most;
    QTest::newRow("one more outside the basic plane") << clef.repeated(most + 1) << 2 * most;
    QTest::newRow("a pair that would be split") << QString(most - 1, QLatin1Char('a')) + clef.repeated(2) << most + 1;
    QTest::newRow("a Location of 20 MB") << QString(20 * 1000 * 1000, QLatin1Char('r')) << most;
}

void TestUiHelpers::storedValuesShowWholeUpToTheBound()
{
    QFETCH(QString, value);
    QFETCH(int, shownChars);
    const QString shown = BoundedText::shown(value);
    const QString expected = shownChars < 0 ? value : value.left(shownChars) + BoundedText::kCutMark;
    QVERIFY2(shown == expected, qPrintable(QStringLiteral("%1 units shown of %2").arg(shown.size()).arg(value.size())));
    QCOMPARE(BoundedText::isCut(shown), shownChars >= 0);
    // What a view shows is shown as it stands when it comes back.
    QCOMPARE(BoundedText::shown(shown), shown);
}

void TestUiHelpers::firmwareGate_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("supported");

    QTest::newRow("the minimum") << "1.1.1017.18" << true;
    QTest::newRow("just below") << "1.1.1017.17" << false;
    QTest::newRow("older second field") << "1.0.2000.99" << false;
    QTest::newRow("newer second field") << "1.2.0.0" << true;
    QTest::newRow("newer major") << "2.0.0.0" << true;
    // Fields are numbers: 100 is above 18 and 9 below it (text order says the opposite).
    QTest::newRow("three-digit build") << "1.1.1017.100" << true;
    QTest::newRow("one-digit build") << "1.1.1017.9" << false;
    QTest::newRow("newer third field") << "1.1.1100.0" << true;
    QTest::newRow("two-digit second field") << "1.10.0.0" << true;
    // The third field's first digit takes no part.
    QTest::newRow("third field's first digit ignored") << "1.1.2017.18" << true;
    QTest::newRow("third field below after its first digit") << "1.1.9016.99" << false;
    QTest::newRow("extra fields ignored") << "1.1.1017.18.5" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("two fields") << "1.1" << false;
    QTest::newRow("three fields") << "1.2.3" << false;
    QTest::newRow("empty field") << "1..1017.18" << false;
    QTest::newRow("not a number") << "1.1.1017.18a" << false;
    QTest::newRow("signed") << "1.1.1017.+20" << false;
}

void TestUiHelpers::firmwareGate()
{
    QFETCH(QString, version);
    QFETCH(bool, supported);
    QCOMPARE(isFirmwareVersionSupported(version), supported);
}

void TestUiHelpers::modelGate()
{
    QVERIFY(isMultiUserSupportedModel("", ""));
    QVERIFY(isMultiUserSupportedModel("", "garbage"));
    QVERIFY(isMultiUserSupportedModel("Velk TM7-B", "1.1.1017.18"));
    QVERIFY(isMultiUserSupportedModel("Velk TM B-Series", "1.1.1020.21"));
    QVERIFY(isMultiUserSupportedModel("Velk ZN-640", "1.1.1017.100"));
    QVERIFY(!isMultiUserSupportedModel("Velk ZN-640", "1.1.1017.9"));
    QVERIFY(!isMultiUserSupportedModel("velk tm7-b", "1.1.1017.18"));
    QVERIFY(!isMultiUserSupportedModel("Velk TM7-B ", "1.1.1017.18"));
    QVERIFY(!isMultiUserSupportedModel("Other", "9.9.9999.99"));
}

void TestUiHelpers::cameraFilter()
{
    auto camera = [](quint32 id) {
        PellmarDevice d;
        d.id = id;
        d.deviceName = QString("cam %1").arg(id);
        return d;
    };
    PellmarGroup group3;
    group3.id = 3;
    group3.deviceIds = "5,6";
    PellmarGroup group4;
    group4.id = 4;
    group4.deviceIds = "8";
    PellmarAccount account;
    account.groupIds = "3";
    account.deviceIds = "7,5";
    const QList<PellmarDevice> cameras{camera(7), camera(6), camera(5), camera(8)};

    auto ids = [](const QList<PellmarDevice> &list) {
        QList<quint32> result;
        for (const PellmarDevice &d : list)
            result.append(d.id);
        return result;
    };
    QCOMPARE(ids(filterListByIds(account, {group3, group4}, cameras)), (QList<quint32>{5, 6, 7}));

    // Ids without a camera, empty parts and text are skipped; the first camera of an id wins.
    account.groupIds = ",4,,9";
    account.deviceIds = "99,,abc,8";
    QList<PellmarDevice> withTwin = cameras;
    PellmarDevice twin = camera(8);
    twin.deviceName = "second 8";
    withTwin.append(twin);
    const QList<PellmarDevice> result = filterListByIds(account, {group3, group4}, withTwin);
    QCOMPARE(ids(result), QList<quint32>{8});
    QCOMPARE(result.first().deviceName, QString("cam 8"));
    QVERIFY(filterListByIds(PellmarAccount(), {group3}, cameras).isEmpty());
}

// The save dialog asked before replacing only the name as typed: a file under the ending added after it is kept and
// named in the notice, while a typed name that already ends so is the operator's answered choice.
void TestUiHelpers::saveNameKeepsAFileUnderTheAddedEnding()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString notice = QStringLiteral("untouched");
    QCOMPARE(FileChooser::nameToSave(dir.filePath("log"), "txt", "test", &notice), dir.filePath("log.txt"));
    QCOMPARE(notice, QStringLiteral("untouched"));

    QFile existing(dir.filePath("log.txt"));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();
    QCOMPARE(FileChooser::nameToSave(dir.filePath("log.TXT"), "txt", "test", &notice), dir.filePath("log.TXT"));
    QCOMPARE(FileChooser::nameToSave(dir.filePath("log.txt"), "txt", "test", &notice), dir.filePath("log.txt"));
    QCOMPARE(notice, QStringLiteral("untouched"));
    QVERIFY(FileChooser::nameToSave(dir.filePath("log"), "txt", "test", &notice).isEmpty());
    QCOMPARE(notice, FileChooser::keptExistingText(dir.filePath("log.txt")));
    QVERIFY(notice.contains(QStringLiteral("log.txt")));
}

QTEST_MAIN(TestUiHelpers)
#include "tst_shellkit_helpers.moc"
