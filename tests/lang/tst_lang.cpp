#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTranslator>
#include <QXmlStreamReader>

#include "support/HanText.h"

namespace {

struct TsMessage
{
    QString context;
    QString source;
    QString comment;
    QString translation;
    QString translationType; // "unfinished", "vanished", "obsolete" or empty when finished
    bool numerus = false;
    QStringList forms; // a numerus message's forms, in the order of the language's plural rules
};

// Reads every message of a .ts file; an unreadable or malformed file fails through *error.
QList<TsMessage> readTs(const QString &path, QString *error)
{
    QList<TsMessage> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open ") + path;
        return messages;
    }
    QXmlStreamReader xml(&file);
    QString context;
    TsMessage current;
    bool inMessage = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QStringRef name = xml.name();
            if (name == QLatin1String("context")) {
                context.clear();
            } else if (name == QLatin1String("name") && !inMessage) {
                context = xml.readElementText();
            } else if (name == QLatin1String("message")) {
                current = TsMessage();
                current.context = context;
                current.numerus = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
                inMessage = true;
            } else if (inMessage && name == QLatin1String("source")) {
                current.source = xml.readElementText();
            } else if (inMessage && name == QLatin1String("comment")) {
                current.comment = xml.readElementText();
            } else if (inMessage && name == QLatin1String("translation")) {
                current.translationType = xml.attributes().value(QLatin1String("type")).toString();
                if (!current.numerus) {
                    current.translation = xml.readElementText();
                    continue;
                }
                // Numerus forms are nested; their joined text is enough to tell empty from filled.
                while (!(xml.isEndElement() && xml.name() == QLatin1String("translation")) && !xml.atEnd()) {
                    xml.readNext();
                    if (xml.isStartElement() && xml.name() == QLatin1String("numerusform")) {
                        current.forms << xml.readElementText();
                        current.translation += current.forms.last();
                    }
                }
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
            messages.append(current);
            inMessage = false;
        }
    }
    if (xml.hasError())
        *error = path + QStringLiteral(": ") + xml.errorString();
    return messages;
}

// The %1..%99 and %n markers of a text, sorted, so reordering in a translation is fine
// but a lost or invented argument is not.
QStringList placeholders(const QString &text)
{
    static const QRegularExpression marker(QStringLiteral("%(L?[0-9]{1,2}|n)"));
    QStringList found;
    auto it = marker.globalMatch(text);
    while (it.hasNext())
        found.append(it.next().captured(0));
    found.sort();
    return found;
}

QString qmPath(const QString &locale)
{
    return QStringLiteral(QV_LANG_BUILD_DIR "/Orvanta_") + locale + QStringLiteral(".qm");
}

QString tsPath(const QString &locale)
{
    return QStringLiteral(QV_LANG_SOURCE_DIR "/Orvanta_") + locale + QStringLiteral(".ts");
}

} // namespace

class TestLang : public QObject
{
    Q_OBJECT

private slots:
    void builtFilesLoad();
    void chineseTranslatesKeyTexts_data();
    void chineseTranslatesKeyTexts();
    void englishShowsSourceTexts();
    void chineseCountsDevicesWithOneWord();
    void everyMessageIsTranslated_data();
    void everyMessageIsTranslated();
};

void TestLang::builtFilesLoad()
{
    for (const QString &locale : {QStringLiteral("en_US"), QStringLiteral("zh_TW")}) {
        QTranslator translator;
        QVERIFY2(translator.load(qmPath(locale)), qPrintable(qmPath(locale)));
        QVERIFY(!translator.isEmpty());
    }
}

void TestLang::chineseTranslatesKeyTexts_data()
{
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::newRow("main frame entry") << "FrameLayoutPage"
                                      << "Device Control";
    QTest::newRow("main frame settings") << "FrameLayoutPage"
                                         << "Settings";
    QTest::newRow("log-in button") << "Orvanta"
                                   << "Login";
    QTest::newRow("device form label") << "DeviceFormDialog"
                                       << "Device Name:";
    QTest::newRow("device page button") << "Management"
                                        << "Add Device";
    QTest::newRow("import check, marked for later lookup") << "ImportDialog"
                                                           << "Invalid IP Address.";
    QTest::newRow("power command") << "ConnectedList"
                                   << "Power On";
    QTest::newRow("argument kept") << "Management"
                                   << "Are you sure you want to delete the device \"%1\"?";
}

void TestLang::chineseTranslatesKeyTexts()
{
    QFETCH(QString, context);
    QFETCH(QString, source);
    QTranslator translator;
    QVERIFY(translator.load(qmPath(QStringLiteral("zh_TW"))));
    const QString translated = translator.translate(context.toUtf8().constData(), source.toUtf8().constData());
    QVERIFY2(!translated.isEmpty(), qPrintable(context + QStringLiteral(": ") + source));
    QVERIFY(translated != source);
    QVERIFY2(containsHan(translated), qPrintable(translated));
    QCOMPARE(placeholders(translated), placeholders(source));
}

namespace {

// Source texts that operators would notice misspelled or ungrammatical. They stay as they are, since the
// translations key on them; the English translation shows them corrected, in every context that carries them.
struct Correction
{
    const char *source;
    const char *english;
};

const Correction Corrections[] = {
    {"Paswsord:", "Password:"},
    {"The Password do not match.", "The passwords do not match."},
    {"The files at least contains one more error data:", "The file contains at least one error:"},
    {"Ip Address and Mac Address cannot be emtpy.", "Ip Address and Mac Address cannot be empty."},
    {"Name can not be emtpy.", "Name cannot be empty."},
    {"A newer version of the firmware is available for Velk IFP, please update to the lastest firmware.",
     "A newer version of the firmware is available for Velk IFP, please update to the latest firmware."},
    {"If you want to power-on the device ,please make sure all devices are connected via ethernet cable.",
     "If you want to power on the devices, please make sure all of them are connected via ethernet cable."},
    {"Make sure all panels be connected via ethernet cable in order to remote control to power on.",
     "Make sure all panels are connected via ethernet cable, so that they can be powered on remotely."},
    {"Please at least select one schedule.", "Please select at least one schedule."},
    {"Please at least select one group.", "Please select at least one group."},
    {"Please at least select one device.", "Please select at least one device."},
    {"Please at least select one request.(On/Off)", "Please select at least one request (On/Off)."},
    {"Please download the existing file to edit. If you manage the devices in the first time, please download the "
     "existing file to edit, too.",
     "Please download the existing file to edit. If you are managing the devices for the first time, please download "
     "the existing file to edit, too."},
};

} // namespace

void TestLang::englishShowsSourceTexts()
{
    // The English file is complete, and what it holds is the source text itself, or its correction wherever that
    // source text appears: a window added later with a corrected text is held to the correction too.
    QString error;
    const QList<TsMessage> messages = readTs(tsPath(QStringLiteral("en_US")), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(!messages.isEmpty());
    QTranslator translator;
    QVERIFY(translator.load(qmPath(QStringLiteral("en_US"))));
    QSet<QString> met;
    for (const TsMessage &message : messages) {
        const QString where = message.context + QStringLiteral(": ") + message.source;
        QVERIFY2(message.translationType.isEmpty(), qPrintable(where));
        if (message.numerus) {
            // One and many: the source text is the plural, and the singular is a form of its own.
            const QByteArray context = message.context.toUtf8();
            const QByteArray source = message.source.toUtf8();
            QVERIFY2(message.forms.size() == 2 && message.forms.at(1) == message.source &&
                         message.forms.at(0) != message.source &&
                         placeholders(message.forms.at(0)) == placeholders(message.source),
                     qPrintable(where + QStringLiteral(" -> ") + message.forms.join(QStringLiteral(" | "))));
            QCOMPARE(translator.translate(context.constData(), source.constData(), nullptr, 1), message.forms.at(0));
            QCOMPARE(translator.translate(context.constData(), source.constData(), nullptr, 2), message.source);
            continue;
        }
        QString expected = message.source;
        for (const Correction &correction : Corrections) {
            if (message.source == QLatin1String(correction.source)) {
                expected = QLatin1String(correction.english);
                met.insert(message.source);
            }
        }
        QCOMPARE(translator.translate(message.context.toUtf8().constData(), message.source.toUtf8().constData(),
                                      message.comment.isEmpty() ? nullptr : message.comment.toUtf8().constData()),
                 expected);
    }
    // Every correction still meets its source text.
    for (const Correction &correction : Corrections)
        QVERIFY2(met.contains(QLatin1String(correction.source)), correction.source);
}

// Devices are counted with one word in Chinese: 台, never 部 ("全部", all, is no counter).
void TestLang::chineseCountsDevicesWithOneWord()
{
    QString error;
    const QList<TsMessage> messages = readTs(tsPath(QStringLiteral("zh_TW")), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    static const QRegularExpression otherCounter(QString::fromUtf8("(?<!全)部\\s*(裝置|電腦)"));
    QStringList found;
    for (const TsMessage &message : messages) {
        if (message.translation.contains(otherCounter))
            found << message.context + QStringLiteral(": ") + message.translation;
    }
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
}

void TestLang::everyMessageIsTranslated_data()
{
    QTest::addColumn<QString>("locale");
    QTest::newRow("zh_TW") << "zh_TW";
}

void TestLang::everyMessageIsTranslated()
{
    QFETCH(QString, locale);
    QString error;
    const QList<TsMessage> messages = readTs(tsPath(locale), &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(messages.size() > 100);

    QTranslator translator;
    QVERIFY(translator.load(qmPath(locale)));
    // A text shown by two contexts must read the same in both: the kit's line edit, for one, only
    // clears its grey example text when its own translation equals the owner's.
    QHash<QString, QString> bySource;
    for (const TsMessage &message : messages) {
        const QString where = message.context + QStringLiteral(": ") + message.source;
        QVERIFY2(message.translationType.isEmpty(),
                 qPrintable(where + QStringLiteral(" is ") + message.translationType));
        QVERIFY2(!message.translation.trimmed().isEmpty(), qPrintable(where));
        if (message.numerus) {
            // Chinese has one form for every number.
            QVERIFY2(message.forms.size() == 1 && placeholders(message.forms.first()) == placeholders(message.source),
                     qPrintable(where + QStringLiteral(" -> ") + message.forms.join(QStringLiteral(" | "))));
            const QByteArray context = message.context.toUtf8();
            const QByteArray source = message.source.toUtf8();
            for (const int n : {1, 2, 5})
                QCOMPARE(translator.translate(context.constData(), source.constData(), nullptr, n),
                         message.forms.first());
            continue;
        }
        QVERIFY2(placeholders(message.translation) == placeholders(message.source),
                 qPrintable(where + QStringLiteral(" -> ") + message.translation));
        QVERIFY2(message.source.startsWith(QLatin1Char(' ')) == message.translation.startsWith(QLatin1Char(' ')) &&
                     message.source.endsWith(QLatin1Char(' ')) == message.translation.endsWith(QLatin1Char(' ')),
                 qPrintable(where + QStringLiteral(" loses its surrounding blank")));
        const auto known = bySource.constFind(message.source);
        if (known != bySource.constEnd())
            QVERIFY2(known.value() == message.translation, qPrintable(where + QStringLiteral(" differs")));
        bySource.insert(message.source, message.translation);

        // The built file must carry what the source file says (a stale build shows old texts).
        const QByteArray comment = message.comment.toUtf8();
        QCOMPARE(translator.translate(message.context.toUtf8().constData(), message.source.toUtf8().constData(),
                                      comment.isEmpty() ? nullptr : comment.constData()),
                 message.translation);
    }
}

QTEST_GUILESS_MAIN(TestLang)
#include "tst_lang.moc"
