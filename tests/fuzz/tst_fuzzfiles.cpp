#include "FileFuzz.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

// The file readers' fuzz entry points over their committed seeds and seeded mutations of them, so every CI run
// checks the promises the fuzzers check for hours.
class TestFuzzFiles : public QObject
{
    Q_OBJECT

private slots:
    void seedsAndMutations_data();
    void seedsAndMutations();
};

using Entry = void (*)(const uint8_t *, size_t);
Q_DECLARE_METATYPE(Entry)

namespace {

void run(Entry entry, const QByteArray &bytes)
{
    entry(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
}

} // namespace

void TestFuzzFiles::seedsAndMutations_data()
{
    QTest::addColumn<QString>("seeds");
    QTest::addColumn<Entry>("entry");
    QTest::newRow("update.cfg") << "updatecfg" << Entry(&FileFuzz::updateConfig);
    QTest::newRow("box manifest") << "boxmanifest" << Entry(&FileFuzz::boxManifest);
    QTest::newRow("panel manifest") << "panelmanifest" << Entry(&FileFuzz::panelManifest);
    QTest::newRow("user CSV") << "usercsv" << Entry(&FileFuzz::userCsv);
    QTest::newRow("device CSV") << "devicecsv" << Entry(&FileFuzz::deviceCsv);
    QTest::newRow("account file") << "accountfile" << Entry(&FileFuzz::panelAccountFile);
}

void TestFuzzFiles::seedsAndMutations()
{
    QFETCH(QString, seeds);
    QFETCH(Entry, entry);
    const QDir folder(QStringLiteral(QUORVIN_FUZZ_SEEDS) + QLatin1Char('/') + seeds);
    const QStringList names = folder.entryList(QDir::Files, QDir::Name);
    QVERIFY2(names.size() >= 2, qPrintable(folder.path()));
    QList<QByteArray> files;
    for (const QString &name : names) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        files.append(file.readAll());
        run(entry, files.last());
    }

    // Bytes changed, cut out, doubled, and two seeds spliced; the same every run.
    QRandomGenerator rng(20260412);
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes = files.at(int(rng.bounded(files.size())));
        switch (rng.bounded(4)) {
        case 0:
            for (int f = 1 + int(rng.bounded(4)); f > 0 && !bytes.isEmpty(); --f)
                bytes[int(rng.bounded(bytes.size()))] = char(rng.bounded(256));
            break;
        case 1:
            if (!bytes.isEmpty())
                bytes.remove(int(rng.bounded(bytes.size())), 1 + int(rng.bounded(16)));
            break;
        case 2: {
            const int at = int(rng.bounded(bytes.size() + 1));
            bytes.insert(at, bytes.mid(int(rng.bounded(bytes.size() + 1)), 1 + int(rng.bounded(64))));
            break;
        }
        default: {
            const QByteArray &other = files.at(int(rng.bounded(files.size())));
            bytes = bytes.left(int(rng.bounded(bytes.size() + 1))) + other.mid(int(rng.bounded(other.size() + 1)));
            break;
        }
        }
        run(entry, bytes);
    }
}

QTEST_GUILESS_MAIN(TestFuzzFiles)
#include "tst_fuzzfiles.moc"
