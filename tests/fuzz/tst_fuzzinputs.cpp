#include "ProtocolFuzz.h"

#include "network/FrameCodec.h"
#include "network/PanelIdentity.h"
#include "network/SsdpMessage.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

// The fuzz entry points over seeded random bytes and the committed seed corpus, so every CI run
// exercises the same promises the fuzzer checks for hours.
class TestFuzzInputs : public QObject
{
    Q_OBJECT

private slots:
    void randomBytes();
    void mutatedValidInputs();
    void seedCorpus();

private:
    static void run(const QByteArray &bytes, int target);
};

void TestFuzzInputs::run(const QByteArray &bytes, int target)
{
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.constData());
    const size_t size = size_t(bytes.size());
    switch (target) {
    case 0:
        ProtocolFuzz::frameDecoder(data, size);
        break;
    case 1:
        ProtocolFuzz::panelIdentity(data, size);
        break;
    default:
        ProtocolFuzz::ssdpSearch(data, size);
        break;
    }
}

void TestFuzzInputs::randomBytes()
{
    QRandomGenerator rng(20261206);
    for (int i = 0; i < 3000; ++i) {
        QByteArray bytes(int(rng.bounded(200)), Qt::Uninitialized);
        for (char &c : bytes)
            c = char(rng.bounded(256));
        run(bytes, i % 3);
    }
}

void TestFuzzInputs::mutatedValidInputs()
{
    PanelIdentity identity;
    identity.mac = QStringLiteral("aa:bb:cc:dd:ee:ff");
    identity.model = QStringLiteral("Velk TM7-B");
    identity.fwVersion = QStringLiteral("1.1.1017.18");
    SsdpSearch search;
    search.searchTarget = QString::fromLatin1(SsdpMessage::kServiceType);
    search.mac = identity.mac;
    QByteArray frames = FrameCodec::encode(0x0001, identity.toJson());
    frames += FrameCodec::encodeInt32(0x8001, 1);
    frames += FrameCodec::encode(0x0002);
    const QByteArray valid[] = {frames, identity.toJson(),
                                SsdpMessage::buildSearch(search, QStringLiteral("239.255.255.250:1988"))};

    QRandomGenerator rng(7);
    for (int target = 0; target < 3; ++target) {
        run(valid[target], target);
        for (int i = 0; i < 1500; ++i) {
            QByteArray bytes = valid[target];
            const int flips = 1 + int(rng.bounded(4));
            for (int f = 0; f < flips && !bytes.isEmpty(); ++f)
                bytes[int(rng.bounded(bytes.size()))] = char(rng.bounded(256));
            if (rng.bounded(4) == 0)
                bytes.truncate(int(rng.bounded(bytes.size() + 1)));
            run(bytes, target);
        }
    }
}

void TestFuzzInputs::seedCorpus()
{
    const QDir corpus(QStringLiteral(QUORVIN_FUZZ_CORPUS));
    const QStringList files = corpus.entryList(QDir::Files);
    QVERIFY(!files.isEmpty());
    for (const QString &name : files) {
        QFile file(corpus.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        ProtocolFuzz::any(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }
}

QTEST_GUILESS_MAIN(TestFuzzInputs)
#include "tst_fuzzinputs.moc"
