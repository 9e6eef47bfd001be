#include "FileFuzz.h"

#include "accounts/core/UserCsv.h"
#include "devices/DeviceCsv.h"
#include "firmware/BoxManifest.h"
#include "firmware/DownloadRules.h"
#include "firmware/FirmwareVersion.h"
#include "firmware/PanelManifest.h"
#include "firmware/PanelVersion.h"
#include "firmware/UpdateConfig.h"
#include "firmware/UpdateRoutes.h"
#include "network/AccountFile.h"
#include "network/PanelAccountMerge.h"
#include "shell/base/CsvReader.h"
#include "shell/base/TextDecoder.h"

#include <QByteArray>
#include <QDir>
#include <QHash>
#include <QScopeGuard>
#include <QSet>
#include <QTextCodec>
#include <QUrl>
#include <QVector>

namespace {

QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), int(size));
}

bool sameEntry(const UpdateConfig::Entry &a, const UpdateConfig::Entry &b)
{
    return a.unreadable == b.unreadable && a.sectionFound == b.sectionFound && a.version == b.version &&
           a.path == b.path;
}

// The checks of an import's error: its row, a column the row reaches (a short row is reported at its first missing
// column), and a reason.
void checkImportError(const CsvImportError &error, int rowNumber, int cellCount, int columnCount, const char *what)
{
    if (error.row != rowNumber || error.column < 0 || error.column >= columnCount || error.column > cellCount ||
        error.message.isEmpty())
        qFatal("%s: error at column %d row %d for row %d of %d cells", what, error.column, error.row, rowNumber,
               cellCount);
}

bool sameAccountRows(const QList<AccountFileRow> &a, const QList<AccountFileRow> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        const AccountFileRow &x = a.at(i);
        const AccountFileRow &y = b.at(i);
        if (x.userName != y.userName || x.password != y.password || x.rfidId != y.rfidId ||
            x.hasPermission != y.hasPermission || x.uniqueId != y.uniqueId || x.packages != y.packages)
            return false;
    }
    return true;
}

// Users read from the bytes as fields separated by the unit separator 0x1f, five to a user: name, password, card,
// unique id and the packages separated by ";". Fields may hold NUL. The file has no way to carry a user without a
// name or an empty package name.
QList<AccountFileRow> usersFromFields(const QByteArray &bytes)
{
    const QList<QByteArray> fields = bytes.split('\x1f');
    QList<AccountFileRow> users;
    for (int i = 0; i < fields.size(); i += 5) {
        AccountFileRow user;
        user.userName = QString::fromUtf8(fields.at(i).constData(), fields.at(i).size());
        if (user.userName.isEmpty())
            continue;
        const auto field = [&fields](int index) {
            const QByteArray text = fields.value(index);
            return QString::fromUtf8(text.constData(), text.size());
        };
        user.password = field(i + 1);
        user.rfidId = field(i + 2);
        user.uniqueId = field(i + 3);
        user.packages = field(i + 4).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        user.hasPermission = fields.at(i).size() % 2 == 1;
        users.append(user);
    }
    return users;
}

bool holdsNul(const AccountFileRow &row)
{
    const QChar nul(0);
    return row.userName.contains(nul) || row.password.contains(nul) || row.rfidId.contains(nul) ||
           row.uniqueId.contains(nul) || row.packages.join(QLatin1Char(';')).contains(nul);
}

// A cell as the shared CSV reader gives it back once written out: it makes every CR LF a LF, inside quotes too.
QString afterReader(const QString &cell)
{
    return QString(cell).replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

QStringList afterReader(const QStringList &cells)
{
    QStringList out;
    for (const QString &cell : cells)
        out.append(afterReader(cell));
    return out;
}

// The codec in use on the operator's machine, chosen by a byte: the user import decodes with it unless a byte order
// mark names another.
QTextCodec *codecInUse(uint8_t choice)
{
    static const QList<QTextCodec *> codecs = [] {
        QList<QTextCodec *> found;
        for (const char *name : {"UTF-8", "Windows-1252", "Big5", "Shift_JIS", "GB18030"}) {
            if (QTextCodec *codec = QTextCodec::codecForName(name))
                found.append(codec);
        }
        return found;
    }();
    return codecs.at(choice % codecs.size());
}

// ---- A decoder of the target's own, which the imports' and update.cfg's reading is held against ----

// The text bytes are, worked out apart from the console's decoder: the characters they spell in their codec up to the
// first bytes that spell none, and whether there were such bytes.
struct ReferenceText
{
    QString text; // every character when readable, else those before the first bytes that are no text
    bool readable = true;
};

void appendCodePoint(QString &text, uint codePoint)
{
    if (codePoint >= 0x10000) {
        text.append(QChar(ushort(0xD800 + ((codePoint - 0x10000) >> 10))));
        text.append(QChar(ushort(0xDC00 + ((codePoint - 0x10000) & 0x3FF))));
    } else {
        text.append(QChar(ushort(codePoint)));
    }
}

// UTF-8 as RFC 3629 has it: no overlong form, no surrogate, nothing above U+10FFFF, nothing cut off.
ReferenceText strictUtf8(const uchar *p, int n)
{
    ReferenceText out;
    int i = 0;
    while (i < n) {
        const uchar lead = p[i];
        int length = 0;
        uint codePoint = 0;
        if (lead < 0x80) {
            length = 1;
            codePoint = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            codePoint = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            codePoint = lead & 0x07;
        }
        bool good = length > 0 && i + length <= n;
        for (int k = 1; good && k < length; ++k) {
            good = (p[i + k] & 0xC0) == 0x80;
            codePoint = codePoint << 6 | (p[i + k] & 0x3F);
        }
        good = good && !(length == 3 && codePoint < 0x800) && !(length == 4 && codePoint < 0x10000) &&
               codePoint <= 0x10FFFF && !(codePoint >= 0xD800 && codePoint <= 0xDFFF);
        if (!good) {
            out.readable = false;
            return out;
        }
        appendCodePoint(out.text, codePoint);
        i += length;
    }
    return out;
}

// UTF-16: every surrogate paired, no odd byte at the end.
ReferenceText strictUtf16(const uchar *p, int n, bool littleEndian)
{
    ReferenceText out;
    const auto unit = [p, littleEndian](int at) {
        return littleEndian ? ushort(p[at] | p[at + 1] << 8) : ushort(p[at] << 8 | p[at + 1]);
    };
    int i = 0;
    for (; i + 1 < n; i += 2) {
        const ushort u = unit(i);
        if (u >= 0xDC00 && u <= 0xDFFF)
            break;
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 3 >= n || unit(i + 2) < 0xDC00 || unit(i + 2) > 0xDFFF)
                break;
            out.text.append(QChar(u));
            out.text.append(QChar(unit(i + 2)));
            i += 2;
            continue;
        }
        out.text.append(QChar(u));
    }
    out.readable = i == n;
    return out;
}

// UTF-32: code points up to U+10FFFF that are no surrogates, no bytes over at the end.
ReferenceText strictUtf32(const uchar *p, int n, bool littleEndian)
{
    ReferenceText out;
    int i = 0;
    for (; i + 3 < n; i += 4) {
        const uint codePoint = littleEndian
                                   ? uint(p[i]) | uint(p[i + 1]) << 8 | uint(p[i + 2]) << 16 | uint(p[i + 3]) << 24
                                   : uint(p[i]) << 24 | uint(p[i + 1]) << 16 | uint(p[i + 2]) << 8 | uint(p[i + 3]);
        if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
            break;
        appendCodePoint(out.text, codePoint);
    }
    out.readable = i == n;
    return out;
}

// A code page, read a byte at a time: each time the converter gives characters, the bytes fed since the last time
// are one unit. A unit must give characters, none of them a stand-in for bytes the code page leaves undefined
// (U+FFFD, U+001A, a private-use character of any plane, a C1 control) or half a surrogate pair, and no bytes may be
// left at the end. GB18030 gives the characters of planes 1 to 16 as surrogate pairs.
ReferenceText codePageText(QTextCodec *codec, const uchar *p, int n)
{
    ReferenceText out;
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    int unitStart = 0;
    for (int i = 0; i < n; ++i) {
        const QString characters = codec->toUnicode(reinterpret_cast<const char *>(p + i), 1, &state);
        if (characters.isEmpty())
            continue;
        for (int k = 0; k < characters.size(); ++k) {
            uint u = characters.at(k).unicode();
            if (characters.at(k).isHighSurrogate() && k + 1 < characters.size() &&
                characters.at(k + 1).isLowSurrogate()) {
                u = 0x10000 + ((u - 0xD800) << 10) + (characters.at(k + 1).unicode() - 0xDC00);
                ++k;
            }
            if (u == 0xFFFD || u == 0x1A || (u >= 0xE000 && u <= 0xF8FF) || (u >= 0x80 && u <= 0x9F) ||
                (u >= 0xD800 && u <= 0xDFFF) || (u >= 0xF0000 && u <= 0xFFFFD) || (u >= 0x100000 && u <= 0x10FFFD)) {
                out.readable = false;
                return out;
            }
        }
        out.text += characters;
        unitStart = i + 1;
    }
    out.readable = unitStart == n;
    return out;
}

// The bytes read as a text stream with no codec named chooses: the codec of a byte order mark (UTF-32 from four bytes
// on, UTF-16 from two, UTF-8 from three), else the codec in use. The mark is no character.
ReferenceText referenceText(const QByteArray &bytes, QTextCodec *inUse)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const int n = bytes.size();
    const auto startsWith = [&bytes](const char *mark, int size) { return bytes.startsWith(QByteArray(mark, size)); };
    if (n >= 4 && startsWith("\xff\xfe\0\0", 4))
        return strictUtf32(p + 4, n - 4, true);
    if (n >= 4 && startsWith("\0\0\xfe\xff", 4))
        return strictUtf32(p + 4, n - 4, false);
    if (startsWith("\xff\xfe", 2))
        return strictUtf16(p + 2, n - 2, true);
    if (startsWith("\xfe\xff", 2))
        return strictUtf16(p + 2, n - 2, false);
    if (startsWith("\xef\xbb\xbf", 3))
        return strictUtf8(p + 3, n - 3);
    if (inUse->mibEnum() == 106)
        return strictUtf8(p, n);
    return codePageText(inUse, p, n);
}

// The text with every CR that stands alone outside quotes made a LF, as the user import reads old Mac files.
QString withLoneCrAsLf(QString text)
{
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && text.at(i) == QLatin1Char('\r') &&
                 (i + 1 == text.size() || text.at(i + 1) != QLatin1Char('\n')))
            text[i] = QLatin1Char('\n');
    }
    return text;
}

// The cell (0-based column, 1-based row) that the character after the text belongs to, as the shared reader splits
// the rows: the last cell of the text with one more character.
QPair<int, int> cellAfter(const QString &text, bool loneCrEndsRow)
{
    const QString read = (loneCrEndsRow ? withLoneCrAsLf(text) : text) + QLatin1Char('x');
    const QList<QStringList> rows = parseCsv(normalizeCsvText(read));
    return qMakePair(rows.last().size() - 1, rows.size());
}

// The refusal of unreadable bytes an import must report, against the reference: its cell, the one of the first NUL
// when nul is set and one comes before the unreadable bytes, and no rows.
// The quote that opens a quoted part nothing closes, -1 for none: outside quotes a quote opens one, inside "" is a
// quote of the text and a single one closes it.
int unclosedQuote(const QString &text)
{
    int opened = -1;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('"'))
            continue;
        if (opened < 0)
            opened = i;
        else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"'))
            ++i;
        else
            opened = -1;
    }
    return opened;
}

void checkUnreadable(const CsvImportError &error, const QList<QStringList> &rows, const ReferenceText &reference,
                     bool refuseNul, bool loneCrEndsRow, const char *what)
{
    const int nul = refuseNul ? reference.text.indexOf(QChar(0)) : -1;
    if (reference.readable && nul < 0) {
        // Readable text is refused only for a quote that is never closed, at the cell where it opened.
        const int quote = unclosedQuote(reference.text);
        if (quote < 0 && error.isError())
            qFatal("%s: readable bytes refused at column %d row %d", what, error.column, error.row);
        if (quote >= 0) {
            const QPair<int, int> cell = cellAfter(reference.text.left(quote), loneCrEndsRow);
            if (!error.isError() || error.stopped || error.column != cell.first || error.row != cell.second ||
                !rows.isEmpty())
                qFatal("%s: an unclosed quote refused at column %d row %d, expected column %d row %d", what,
                       error.column, error.row, cell.first, cell.second);
        }
        return;
    }
    const QPair<int, int> cell = cellAfter(nul >= 0 ? reference.text.left(nul) : reference.text, loneCrEndsRow);
    if (!error.isError() || error.stopped || error.column != cell.first || error.row != cell.second ||
        error.message.isEmpty() || !rows.isEmpty())
        qFatal("%s: bytes that are no text refused at column %d row %d (with %d rows), expected column %d row %d", what,
               error.column, error.row, rows.size(), cell.first, cell.second);
}

// The strict decoder itself against the reference: the same verdict and the same text before the first bytes that
// are no text.
void checkDecoder(const QByteArray &bytes, const ReferenceText &reference, const char *what)
{
    const TextDecoder::Result decoded = TextDecoder::decode(bytes);
    if (decoded.readable != reference.readable || decoded.text != reference.text)
        qFatal("%s: the decoder read %d characters (%s), the reference %d (%s)", what, decoded.text.size(),
               decoded.readable ? "readable" : "unreadable", reference.text.size(),
               reference.readable ? "readable" : "unreadable");
}

// The bytes as a list of packages of the model and of another, each written as the manifest writes it, and the
// packages the reader must keep (with their first usable address) and drop.
struct GeneratedManifest
{
    QByteArray xml;
    QVector<ManifestPackage> kept;
    int dropped = 0;
};

class ByteSource
{
public:
    ByteSource(const uint8_t *data, size_t size) : m_data(data), m_size(size) {}
    bool atEnd() const { return m_at >= m_size; }
    int byte() { return m_at < m_size ? m_data[m_at++] : 0; }
    int word() { return byte() | byte() << 8; }

private:
    const uint8_t *m_data;
    size_t m_size;
    size_t m_at = 0;
};

QString generatedVersion(int index)
{
    // Field 2 loses its first character when compared, so the fourth field alone orders these.
    return QStringLiteral("1.0.1000.%1").arg(index);
}

GeneratedManifest generateManifest(const uint8_t *data, size_t size)
{
    // Stated sizes: kept as they read, kept as no size (-1), or dropped (above 4 GiB, however many digits).
    struct SizeChoice
    {
        const char *text; // nullptr: no size attribute
        qint64 read;      // -2: the package is dropped
    };
    static const SizeChoice sizes[] = {
        {"40960", 40960},
        {"1", 1},
        {"0", -1},
        {"-5", -1},
        {"ten", -1},
        {nullptr, -1},
        {"4294967296", Q_INT64_C(4294967296)},
        {"4294967297", -2},
        {"9223372036854775807", -2},
        {"99999999999999999999", -2},
        // Blanks and signs read as in a number 64 bits hold, however many digits follow.
        {" 40960", 40960},
        {"+1", 1},
        {" 4294967297", -2},
        {" 99999999999999999999", -2},
        {"+99999999999999999999", -2},
        {"99999999999999999999 ", -2},
        {" +99999999999999999999 ", -2},
        {"-99999999999999999999", -1},
        {"+ 99999999999999999999", -1},
        {"+-5", -1},
    };
    // DownloadServer addresses in order, and the one the reader keeps: the first the downloader fetches.
    struct UrlChoice
    {
        QStringList urls;
        QString kept;
    };
    static const QVector<UrlChoice> urls = {
        {{"http://u.example/p.zip"}, "http://u.example/p.zip"},
        {{}, QString()},
        {{"ftp://u.example/p.zip", "http://u.example/q.zip"}, "http://u.example/q.zip"},
        {{"none"}, QString()},
        {{"", "http://"}, QString()},
        {{" https://u.example/r.zip "}, "https://u.example/r.zip"},
        {{"file:///etc/passwd", "http://u.example/s.zip", "http://u.example/t.zip"}, "http://u.example/s.zip"},
        {{"qrc:/x.zip"}, QString()},
    };
    static const char *const malformed[] = {"1.0.1000", "1.0.x.1", "", "1.0.1000.1.2", "1..1000.1"};
    // More would only slow the fuzzer: a chain past the step limit and two fans past the route limit fit in this.
    const int maxPackages = 3000;

    GeneratedManifest out;
    QString xml = QStringLiteral("<Manifest>\n");
    const auto add = [&](bool ownModel, int element, const QString &oldVersion, const QString &newVersion,
                         const QString &sku, int sizeChoice, int urlChoice) {
        // element: 0 Package, 1 PackageV2 with the given SKU, 2 PackageV2 without its sku attribute.
        const SizeChoice &stated = sizes[sizeChoice % int(sizeof sizes / sizeof *sizes)];
        const UrlChoice &address = urls.at(urlChoice % urls.size());
        xml += QStringLiteral("<%1 modelName=\"%2\" oldVersion=\"%3\" newVersion=\"%4\" name=\"p.zip\"")
                   .arg(element == 0 ? "Package" : "PackageV2", ownModel ? "Velk TM7-B" : "Velk ZN-640", oldVersion,
                        newVersion);
        if (element == 1)
            xml += QStringLiteral(" sku=\"%1\"").arg(sku);
        if (stated.text)
            xml += QStringLiteral(" size=\"%1\"").arg(QLatin1String(stated.text));
        xml += QLatin1Char('>');
        for (const QString &url : address.urls)
            xml += QStringLiteral("<DownloadServer URL=\"%1\"/>").arg(url);
        xml += QStringLiteral("</%1>\n").arg(element == 0 ? "Package" : "PackageV2");
        if (!ownModel || element == 2)
            return;
        if (!BoxManifest::isWellFormedVersion(oldVersion) || !BoxManifest::isWellFormedVersion(newVersion) ||
            stated.read == -2) {
            ++out.dropped;
            return;
        }
        ManifestPackage package;
        package.v2 = element == 1;
        package.oldVersion = oldVersion;
        package.newVersion = newVersion;
        package.sku = element == 1 ? sku : QString();
        package.size = stated.read;
        package.url = address.kept;
        out.kept.append(package);
    };
    const QStringList skus = {QString(), QStringLiteral("A"), QStringLiteral("B")};

    ByteSource in(data, size);
    int packages = 0;
    while (!in.atEnd() && packages < maxPackages) {
        switch (in.byte() % 4) {
        case 0: { // one package, anything goes
            const int from = in.word();
            const int to = in.word();
            const int kind = in.byte();
            const int element = kind % 4 == 3 ? 2 : (kind % 4 == 0 ? 0 : 1);
            add(kind % 16 != 15, element, generatedVersion(from), generatedVersion(to), skus.at(kind / 4 % 3),
                in.byte(), in.byte());
            ++packages;
            break;
        }
        case 1: { // a chain of steps, one element and SKU for all
            // Mostly short: a long chain costs the fuzzer a thousand packages per input.
            const int from = in.word();
            const int span = in.word();
            const int length = span >= 0xf000 ? 1 + (span - 0xf000) % 1100 : 1 + span % 32;
            const int kind = in.byte();
            for (int i = 0; i < length && packages < maxPackages; ++i, ++packages)
                add(true, kind % 2, generatedVersion(from + i), generatedVersion(from + i + 1), skus.at(kind / 2 % 3),
                    0, 0);
            break;
        }
        case 2: { // a fan: one step for each of many SKUs
            const int from = in.word();
            const int low = in.byte();
            const int high = in.byte();
            const int count = high % 4 == 3 ? 1 + low + (high / 4 % 2) * 256 : 1 + low % 16;
            for (int i = 0; i < count && packages < maxPackages; ++i, ++packages)
                add(true, 1, generatedVersion(from), generatedVersion(from + 1), QStringLiteral("S%1").arg(i), 0, 0);
            break;
        }
        default: { // a version the routes could not compare
            const int which = in.byte();
            const QString bad = QLatin1String(malformed[which % int(sizeof malformed / sizeof *malformed)]);
            const QString good = generatedVersion(in.word());
            add(true, which / 8 % 2, which % 2 ? bad : good, which % 2 ? good : bad, QString(), 0, 0);
            ++packages;
            break;
        }
        }
    }
    out.xml = (xml + QStringLiteral("</Manifest>\n")).toUtf8();
    return out;
}

// What the route build must come to, worked out apart from it on the nodes it made, as the builder's rules say:
// a node is followed by every node starting at its new version whose SKU fits (either empty, or the same); the
// routes kept from a node are those through each SKU-specific successor, those through its first SKU-neutral one,
// and the route ending at it when no successor continues it (neutral or of its own SKU). Every way through counts
// towards the route limit, kept or not, and the build gives up past MaxRoutes routes or MaxRouteLength steps.
struct RouteExpectation
{
    bool gaveUp = false;
    qint64 routes = 0;
    int longest = 0;
};

RouteExpectation expectedRoutes(const QVector<UpdateRoutes::Node> &nodes)
{
    const qint64 cap = UpdateRoutes::MaxRoutes + 1;
    const int count = nodes.size();
    QHash<QString, QVector<int>> byOld;
    for (int i = 0; i < count; ++i)
        byOld[nodes.at(i).oldVersion].append(i);
    const auto fits = [](const QString &a, const QString &b) { return a.isEmpty() || b.isEmpty() || a == b; };
    QVector<QVector<int>> next(count);
    QVector<QVector<int>> previous(count);
    for (int i = 0; i < count; ++i) {
        for (int j : byOld.value(nodes.at(i).newVersion)) {
            if (fits(nodes.at(i).sku, nodes.at(j).sku)) {
                next[i].append(j);
                previous[j].append(i);
            }
        }
    }
    // Every link leads to a newer version, so there are no cycles: each node is worked out once all it leads to are.
    QVector<int> order;
    order.reserve(count);
    QVector<int> open(count);
    for (int i = 0; i < count; ++i) {
        open[i] = next.at(i).size();
        if (open.at(i) == 0)
            order.append(i);
    }
    for (int k = 0; k < order.size(); ++k) {
        for (int p : qAsConst(previous.at(order.at(k)))) {
            if (--open[p] == 0)
                order.append(p);
        }
    }
    if (order.size() != count)
        qFatal("routes: the nodes link in a circle");
    QVector<qint64> made(count), kept(count);
    QVector<int> depth(count), keptLength(count);
    for (int n : qAsConst(order)) {
        bool endsHere = true;
        bool neutralTaken = false;
        qint64 madeHere = 0;
        qint64 keptHere = 0;
        int deepest = 0;
        int longest = 0;
        for (int m : qAsConst(next.at(n))) {
            madeHere = qMin(cap, madeHere + made.at(m));
            deepest = qMax(deepest, depth.at(m));
            const bool neutral = nodes.at(m).sku.isEmpty();
            if (!neutral || !neutralTaken) {
                keptHere = qMin(cap, keptHere + kept.at(m));
                longest = qMax(longest, keptLength.at(m));
            }
            neutralTaken = neutralTaken || neutral;
            if (neutral || nodes.at(m).sku == nodes.at(n).sku)
                endsHere = false;
        }
        if (endsHere) {
            madeHere = qMin(cap, madeHere + 1);
            keptHere = qMin(cap, keptHere + 1);
        }
        made[n] = madeHere;
        kept[n] = keptHere;
        depth[n] = deepest + 1;
        keptLength[n] = longest + 1;
    }
    // Roots: the first node without a route through it, walked back through the first such node leading to it.
    RouteExpectation expected;
    QVector<bool> reached(count, false);
    qint64 madeAll = 0;
    for (int start = 0; start < count; ++start) {
        if (reached.at(start))
            continue;
        int root = start;
        for (;;) {
            int first = -1;
            for (int p : qAsConst(previous.at(root))) {
                if (!reached.at(p) && p != root && (first < 0 || p < first))
                    first = p;
            }
            if (first < 0)
                break;
            root = first;
        }
        madeAll = qMin(cap, madeAll + made.at(root));
        expected.routes = qMin(cap, expected.routes + kept.at(root));
        expected.longest = qMax(expected.longest, keptLength.at(root));
        if (depth.at(root) > UpdateRoutes::MaxRouteLength)
            expected.gaveUp = true;
        QVector<int> stack{root};
        reached[root] = true;
        while (!stack.isEmpty()) {
            const int n = stack.takeLast();
            for (int m : qAsConst(next.at(n))) {
                if (!reached.at(m)) {
                    reached[m] = true;
                    stack.append(m);
                }
            }
        }
    }
    if (madeAll > UpdateRoutes::MaxRoutes)
        expected.gaveUp = true;
    return expected;
}

void checkRoutes(const BoxManifest::Result &manifest)
{
    UpdateRoutes routes;
    const bool built = routes.build(manifest.packages);
    if (built == routes.gaveUp())
        qFatal("routes: the build's answer and gaveUp() disagree");
    const QVector<UpdateRoutes::Node> &nodes = routes.nodes();
    const RouteExpectation expected = expectedRoutes(nodes);
    if (built == expected.gaveUp)
        qFatal("routes: the build %s, the limits say it must not", built ? "was made" : "gave up");
    if (!built) {
        if (!routes.isEmpty())
            qFatal("routes: a build that gave up left routes");
        return;
    }
    int longest = 0;
    for (const UpdateRoutes::Route &route : routes.routes())
        longest = qMax(longest, route.size());
    if (routes.routes().size() != expected.routes || longest != expected.longest)
        qFatal("routes: %d routes of at most %d steps, %lld of at most %d expected", routes.routes().size(), longest,
               expected.routes, expected.longest);
    if (routes.routes().size() > UpdateRoutes::MaxRoutes)
        qFatal("routes: %d routes, more than the limit of %d", routes.routes().size(), UpdateRoutes::MaxRoutes);
    // Each node's direction, versions and SKU worked out once, as numbers: a build at both limits holds ten million
    // steps through a few hundred nodes, and comparing texts at every step took longer than the fuzzer's time-out.
    const int count = nodes.size();
    QVector<char> upwards(count);
    QVector<int> oldId(count), newId(count), skuId(count);
    QHash<QString, int> versionIds;
    QHash<QString, int> skuIds{{QString(), 0}};
    for (int i = 0; i < count; ++i) {
        const UpdateRoutes::Node &node = nodes.at(i);
        upwards[i] = FirmwareVersion::compareDelta(node.oldVersion, node.newVersion) < 0;
        oldId[i] = versionIds.insert(node.oldVersion, versionIds.value(node.oldVersion, versionIds.size())).value();
        newId[i] = versionIds.insert(node.newVersion, versionIds.value(node.newVersion, versionIds.size())).value();
        skuId[i] = skuIds.insert(node.sku, skuIds.value(node.sku, skuIds.size())).value();
    }
    const char *const up = upwards.constData();
    const int *const oldOf = oldId.constData();
    const int *const newOf = newId.constData();
    const int *const skuOf = skuId.constData();
    for (const UpdateRoutes::Route &route : routes.routes()) {
        if (route.isEmpty() || route.size() > UpdateRoutes::MaxRouteLength)
            qFatal("routes: a route of %d steps, the limit is %d", route.size(), UpdateRoutes::MaxRouteLength);
        const int *step = route.constData();
        const int steps = route.size();
        for (int i = 0; i < steps; ++i) {
            const int node = step[i];
            if (node < 0 || node >= count)
                qFatal("routes: a route names a node that does not exist");
            if (!up[node])
                qFatal("routes: a step that does not lead upwards");
            if (i + 1 == steps)
                continue;
            const int next = step[i + 1];
            if (next < 0 || next >= count || oldOf[next] != newOf[node])
                qFatal("routes: a step does not start where the one before it ended");
            if (skuOf[node] != 0 && skuOf[next] != 0 && skuOf[node] != skuOf[next])
                qFatal("routes: a route changes SKU");
        }
    }

    // The step a device of each node's version and SKU takes: its route's own, upwards, fetchable.
    QSet<QString> asked;
    for (const UpdateRoutes::Node &node : nodes) {
        if (asked.size() >= 16)
            break;
        const QString key = node.oldVersion + QLatin1Char('/') + node.sku;
        if (asked.contains(key))
            continue;
        asked.insert(key);
        const int route = routes.findRouteIndex(node.oldVersion, node.sku);
        if (route < 0)
            continue;
        const QString to = routes.nextVersion(route, node.oldVersion);
        if (to.isEmpty())
            continue;
        if (FirmwareVersion::compareDelta(node.oldVersion, to) >= 0)
            qFatal("routes: the next version of a route is not newer");
        const ManifestPackage *step = UpdateRoutes::chooseStep(manifest.packages, node.oldVersion, to, node.sku);
        if (!step)
            continue;
        if (step->oldVersion != node.oldVersion || step->newVersion != to || step->size <= 0 ||
            !DownloadRules::isFetchableAddress(step->url) || !UpdateRoutes::skuCompatible(step->sku, node.sku))
            qFatal("routes: a chosen step is off the route, has no size, no http(s) address or another SKU");
    }
}

} // namespace

namespace FileFuzz {

void updateConfig(const uint8_t *data, size_t size)
{
    const QString model = QStringLiteral("QML8");
    // The bytes as the console reads them from the file, NUL and all.
    const QByteArray text = bytesOf(data, size);
    const UpdateConfig::Entry entry = UpdateConfig::read(text, model);
    // A file with a NUL, or with bytes that are no UTF-8 (after a byte order mark), is unreadable as a whole.
    const int mark = text.startsWith("\xef\xbb\xbf") ? 3 : 0;
    const bool readable =
        !text.contains('\0') &&
        strictUtf8(reinterpret_cast<const uchar *>(text.constData()) + mark, text.size() - mark).readable;
    if (entry.unreadable == readable)
        qFatal("update.cfg: a file %s read as %s", readable ? "of UTF-8 text" : "with a NUL or bytes that are no UTF-8",
               entry.unreadable ? "unreadable" : "readable");
    if (entry.unreadable && (entry.sectionFound || !entry.version.isEmpty() || !entry.path.isEmpty()))
        qFatal("update.cfg: an unreadable file gave values");
    if (!entry.sectionFound && (!entry.version.isEmpty() || !entry.path.isEmpty()))
        qFatal("update.cfg: a value without its section");
    for (const QString *value : {&entry.version, &entry.path}) {
        if (value->contains(QLatin1Char('"')) || value->contains(QLatin1Char('\n')))
            qFatal("update.cfg: a value spans a quote or a line");
    }
    const QByteArray other("[QML9X]\nVersion=\"9.0.0000.99\"\nPath=\"http://updates.example/QML9X.bin\"\n");
    if (!sameEntry(UpdateConfig::read(text + '\n' + other, model), entry) ||
        !sameEntry(UpdateConfig::read(other + text, model), entry))
        qFatal("update.cfg: another model's section changed the entry");

    // The address the audio-box update accepts (http or https, a plain file name) and where its file is written.
    if (entry.path.isEmpty())
        return;
    const QUrl url(entry.path);
    const QString name = DownloadRules::urlFileName(url);
    if (!DownloadRules::isFetchableUrl(url) || !DownloadRules::isSafeFileName(name))
        return;
    const QString folder = QStringLiteral("/fuzz/Velk/Download/QML8");
    const QString target = QDir(folder).filePath(name);
    if (!DownloadRules::isInsideFolder(target, folder) || QDir::cleanPath(target) != folder + QLatin1Char('/') + name)
        qFatal("update.cfg: the file of an accepted address lands outside the download folder");
}

void boxManifest(const uint8_t *data, size_t size)
{
    // An even first byte (every XML seed starts with '<') feeds the bytes to the reader as they are; an odd one
    // makes the rest a list of packages, written out as a manifest, that reaches shapes raw XML never reaches:
    // ten thousand routes, chains of a thousand steps, sizes about 4 GiB.
    const QString model = QStringLiteral("Velk TM7-B");
    if (size > 0 && (data[0] & 1) != 0) {
        const GeneratedManifest generated = generateManifest(data + 1, size - 1);
        const BoxManifest::Result manifest = BoxManifest::read(generated.xml, model);
        if (!manifest.error.isEmpty())
            qFatal("manifest: a generated manifest is no XML: %s", qPrintable(manifest.error));
        if (manifest.dropped != generated.dropped || manifest.packages.size() != generated.kept.size())
            qFatal("manifest: %d packages kept and %d dropped, %d and %d expected", manifest.packages.size(),
                   manifest.dropped, generated.kept.size(), generated.dropped);
        for (int i = 0; i < manifest.packages.size(); ++i) {
            const ManifestPackage &read = manifest.packages.at(i);
            const ManifestPackage &expected = generated.kept.at(i);
            if (read.v2 != expected.v2 || read.oldVersion != expected.oldVersion ||
                read.newVersion != expected.newVersion || read.sku != expected.sku || read.size != expected.size ||
                read.url != expected.url)
                qFatal("manifest: package %d read as %s %s to %s sku %s size %lld url %s", i,
                       read.v2 ? "PackageV2" : "Package", qPrintable(read.oldVersion), qPrintable(read.newVersion),
                       qPrintable(read.sku), read.size, qPrintable(read.url));
        }
        checkRoutes(manifest);
        return;
    }
    const BoxManifest::Result manifest = BoxManifest::read(bytesOf(data, size), model);
    for (const ManifestPackage &package : manifest.packages) {
        if (!BoxManifest::isWellFormedVersion(package.oldVersion) ||
            !BoxManifest::isWellFormedVersion(package.newVersion))
            qFatal("manifest: a package with a malformed version was kept");
        if (package.size == 0 || package.size < -1 || package.size > DownloadRules::MaxStatedFirmwareBytes)
            qFatal("manifest: a package size that is neither a positive number up to 4 GiB nor missing");
        if (!package.v2 && !package.sku.isEmpty())
            qFatal("manifest: a Package with an SKU");
        if (!package.url.isEmpty() && !DownloadRules::isFetchableAddress(package.url))
            qFatal("manifest: a package address the downloader refuses was kept");
    }
    checkRoutes(manifest);
}

void panelManifest(const uint8_t *data, size_t size)
{
    const PanelManifest manifest = PanelManifest::read(bytesOf(data, size), QStringLiteral("Velk TM B-Series"));
    QSet<QString> versions;
    for (const PanelManifest::Entry &entry : manifest.entries) {
        versions.insert(entry.oldVersion);
        for (const QString &url : entry.servers) {
            if (!DownloadRules::isFetchableAddress(url))
                qFatal("panel manifest: an image address the downloader refuses was kept");
        }
    }
    int checked = 0;
    for (const QString &version : qAsConst(versions)) {
        if (++checked > 32)
            break;
        QString firstWellFormed;
        for (const PanelManifest::Entry &entry : manifest.entries) {
            if (entry.oldVersion == version && PanelVersion::isWellFormed(entry.panelVersion)) {
                firstWellFormed = entry.panelVersion;
                break;
            }
        }
        if (manifest.matchedPanelVersion(version) != firstWellFormed)
            qFatal("panel manifest: the matched panel version is not the first well-formed one");

        for (const int inches : {65, 75, 86, 55}) {
            for (const char *oc : {"00", "01"}) {
                const QString ocCode = QLatin1String(oc);
                const PanelManifest::Image image = manifest.image(version, inches, ocCode);
                const QString sizeName = PanelManifest::sizeAttribute(inches, ocCode);
                const QString serverName = PanelManifest::serverElement(inches, ocCode);
                if (sizeName.isEmpty()) {
                    if (!image.url.isEmpty())
                        qFatal("panel manifest: an image for a size the panels do not have");
                    continue;
                }
                bool usable = false;
                bool given = false;
                for (const PanelManifest::Entry &entry : manifest.entries) {
                    if (entry.oldVersion != version)
                        continue;
                    const QString sizeText = entry.attributes.value(sizeName);
                    const qint64 bytes = BoxManifest::parseSize(QStringRef(&sizeText));
                    const QString url = entry.servers.value(serverName);
                    if (bytes > 0 && bytes <= DownloadRules::MaxStatedFirmwareBytes &&
                        DownloadRules::isFetchableAddress(url))
                        usable = true;
                    if (!image.url.isEmpty() && entry.servers.contains(serverName) && url == image.url &&
                        bytes == image.size)
                        given = true;
                }
                if (!image.url.isEmpty() && (image.size <= 0 || !given))
                    qFatal("panel manifest: an image without a size, or that no entry of its version gives");
                if (image.url.isEmpty() && usable)
                    qFatal("panel manifest: an entry with a size and a usable address was passed over");
            }
        }
    }
}

void userCsv(const uint8_t *data, size_t size)
{
    // The first byte chooses the codec in use, the rest is the file as the import window reads it.
    if (size == 0)
        return;
    QTextCodec *const codec = codecInUse(data[0]);
    QTextCodec *const previous = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(codec);
    const auto restore = qScopeGuard([previous] { QTextCodec::setCodecForLocale(previous); });
    const QByteArray bytes = bytesOf(data + 1, size - 1);
    QList<QStringList> parsed;
    const CsvImportError unreadable = UserCsv::parseBytes(bytes, &parsed);
    // Against a decoder of the target's own: bytes that are no text, and NUL, are refused at the cell where the first
    // of them stands; an accepted file reads as the very text its bytes spell.
    const ReferenceText reference = referenceText(bytes, codec);
    checkDecoder(bytes, reference, "user CSV");
    checkUnreadable(unreadable, parsed, reference, true, true, "user CSV");
    if (unreadable.isError())
        return;
    QList<QStringList> spelled;
    if (UserCsv::parseBytes("\xef\xbb\xbf" + reference.text.toUtf8(), &spelled).isError() || spelled != parsed)
        qFatal("user CSV: an accepted file reads otherwise than the text its bytes spell");
    for (const QStringList &cells : qAsConst(parsed)) {
        for (const QString &cell : cells) {
            if (cell.contains(QChar(0)))
                qFatal("user CSV: a cell holding NUL was read");
        }
    }
    // Where no CR and no other codec play a part, the file reads as the shared reader reads it.
    if (codec->mibEnum() == 106 && !bytes.contains('\r') && !bytes.startsWith("\xfe") && !bytes.startsWith("\xff") &&
        !bytes.startsWith(QByteArray("\0", 1)) && parsed != readCsvBytes(bytes, QStringLiteral("UTF-8")))
        qFatal("user CSV: a UTF-8 file without CR reads otherwise than the shared reader reads it");

    const QList<QStringList> rows = UserCsv::withoutTrailingBlankLines(parsed);
    if (rows.isEmpty())
        qFatal("user CSV: no header row");
    const CsvImportError header = UserCsv::checkHeader(rows.first());
    if (header.isError())
        checkImportError(header, 1, rows.first().size(), UserCsv::ColumnCount, "user CSV header");

    // A card held by a stored user under another name.
    const QHash<QString, QString> cardHolders{{QStringLiteral("0000000001"), QStringLiteral("Holder")}};
    const QString titles = UserCsv::columnTitles().join(QLatin1Char(',')) + QLatin1Char('\n');
    for (int i = 1; i < rows.size() && i <= 200; ++i) {
        const QStringList &cells = rows.at(i);
        const CsvImportError error = UserCsv::checkRow(cells, i + 1, cardHolders);
        if (error.isError()) {
            checkImportError(error, i + 1, cells.size(), UserCsv::ColumnCount, "user CSV row");
            continue;
        }
        if (cells.size() < UserCsv::ColumnCount)
            qFatal("user CSV: a short row was accepted");
        const UserCsvRow row = UserCsv::readRow(cells);
        if (row.name.isEmpty() || row.name.contains(QLatin1Char('"')))
            qFatal("user CSV: an accepted name is empty or holds a quote");
        if ((!row.password.isEmpty() && row.password.size() < UserCsv::MinPasswordLength) ||
            UserCsv::hasChineseCharacter(row.password))
            qFatal("user CSV: an accepted password breaks the password rules");
        if (!row.card.isEmpty() && cardHolders.contains(row.card) && cardHolders.value(row.card) != row.name)
            qFatal("user CSV: a card held under another name was accepted");
        if (row.apps.size() != UserCsv::ColumnCount - UserCsv::FirstAppColumn)
            qFatal("user CSV: an accepted row without its twelve apps");
        for (const QString &value : row.apps + QStringList{row.installApps}) {
            if (value != QLatin1String("Enable") && value != QLatin1String("Disable"))
                qFatal("user CSV: an accepted switch is neither Enable nor Disable");
        }

        // Written out as a UTF-8 file of its own, the row reads back as the reader gives any cell back: every CR LF
        // inside quotes made a LF, nothing else changed. Accepted again unless that made a cell break a rule.
        QStringList written{row.name, row.password, row.card, row.installApps, row.access};
        written += row.apps;
        const QStringList original = written;
        const QStringList expected = afterReader(written);
        for (QString &cell : written)
            cell = DeviceCsv::quoteCell(cell);
        const QString file = titles + written.join(QLatin1Char(',')) + QLatin1Char('\n');
        QList<QStringList> again;
        if (UserCsv::parseBytes("\xef\xbb\xbf" + file.toUtf8(), &again).isError())
            qFatal("user CSV: an accepted row written out again cannot be read");
        again = UserCsv::withoutTrailingBlankLines(again);
        if (again.size() != 2 || UserCsv::checkHeader(again.first()).isError() ||
            again.at(1).size() != UserCsv::ColumnCount)
            qFatal("user CSV: an accepted row written out again is not one row");
        const UserCsvRow back = UserCsv::readRow(again.at(1));
        QStringList read{back.name, back.password, back.card, back.installApps, back.access};
        read += back.apps;
        if (read != expected)
            qFatal("user CSV: an accepted row written out again reads back otherwise than the reader's line ends");
        if (read == original && UserCsv::checkRow(again.at(1), 2, cardHolders).isError())
            qFatal("user CSV: an accepted row written out again unchanged is refused");
    }
}

void deviceCsv(const uint8_t *data, size_t size)
{
    {
        // The import's own reading, with UTF-8 in use, against the target's decoder: bytes that are no text refused at
        // their cell (a CR alone outside quotes ends a row, as a LF or a CR LF does), an accepted file read as the text
        // its bytes spell.
        QTextCodec *const previous = QTextCodec::codecForLocale();
        QTextCodec *const utf8 = QTextCodec::codecForMib(106);
        QTextCodec::setCodecForLocale(utf8);
        const auto restore = qScopeGuard([previous] { QTextCodec::setCodecForLocale(previous); });
        const QByteArray bytes = bytesOf(data, size);
        QList<QStringList> read;
        const CsvImportError unreadable = DeviceCsv::parseBytes(bytes, &read);
        const ReferenceText reference = referenceText(bytes, utf8);
        checkUnreadable(unreadable, read, reference, false, true, "device CSV");
        if (!unreadable.isError() && read != parseCsv(normalizeCsvText(withLoneCrAsLf(reference.text))))
            qFatal("device CSV: an accepted file reads otherwise than the text its bytes spell");
    }
    const QList<QStringList> rows =
        DeviceCsv::withoutBlankEnd(readCsvBytes(bytesOf(data, size), QStringLiteral("UTF-8")));
    const CsvImportError error = DeviceCsv::checkRows(rows);
    // A header holding a tab, or a semicolon in fewer than four cells, is a file whose cells are separated by those:
    // refused at its first cell, before any row.
    const QString header = rows.isEmpty() ? QString() : rows.first().join(QString());
    const bool tabbed = header.contains(QLatin1Char('\t')) ||
                        (!rows.isEmpty() && rows.first().size() <= DeviceCsv::ColumnMac && header.contains(';'));
    if (tabbed && (error.column != DeviceCsv::ColumnGroup || error.row != 1 || error.message.isEmpty()))
        qFatal("device CSV: a header of another separator is not refused as such");
    bool firstFound = tabbed;
    QList<DeviceCsvRow> accepted;
    for (int i = 1; i < rows.size() && i <= 200; ++i) {
        const CsvImportError rowError = DeviceCsv::checkRow(rows.at(i), i + 1);
        if (rowError.isError()) {
            checkImportError(rowError, i + 1, qMax(rows.at(i).size(), DeviceCsv::ColumnCamera + 1),
                             DeviceCsv::ColumnCamera + 1, "device CSV row");
            if (!firstFound && (rowError.row != error.row || rowError.column != error.column))
                qFatal("device CSV: the file's error is not its first malformed row's");
            firstFound = true;
            continue;
        }
        accepted.append(DeviceCsv::readRow(rows.at(i)));
    }
    if (error.isError() && !firstFound && rows.size() <= 201)
        qFatal("device CSV: an error in a file whose rows are all well-formed");

    // The accepted rows as the export writes them, read again.
    QString file = DeviceCsv::headerLine();
    for (const DeviceCsvRow &row : qAsConst(accepted)) {
        VelkIFPDevice device;
        device.deviceName = row.name;
        device.ipAddress = row.ipAddress;
        device.macAddress = row.macAddress;
        device.deviceType = row.deviceType;
        device.position = row.position;
        device.ptzCamera = row.cameraName;
        file += DeviceCsv::deviceLine(device, row.groupNames(), row.sosUser);
    }
    // Read back as the reader gives any cell back: every CR LF inside quotes made a LF, nothing else changed. The
    // export is accepted again unless that made a cell break a rule.
    const QList<QStringList> again = DeviceCsv::withoutBlankEnd(readCsvBytes(file.toUtf8(), QStringLiteral("UTF-8")));
    if (again.size() != accepted.size() + 1)
        qFatal("device CSV: the export of accepted rows reads back as another number of rows");
    bool unchanged = true;
    for (int i = 0; i < accepted.size(); ++i) {
        const DeviceCsvRow &row = accepted.at(i);
        const DeviceCsvRow back = DeviceCsv::readRow(again.at(i + 1));
        const QStringList written{row.name, row.ipAddress, row.macAddress, row.position, row.sosUser, row.cameraName};
        const QStringList read{back.name,     back.ipAddress, back.macAddress,
                               back.position, back.sosUser,   back.cameraName};
        if (back.groupNames() != afterReader(row.groupNames()) || read != afterReader(written) ||
            back.deviceType != row.deviceType)
            qFatal("device CSV: an exported device reads back otherwise than the reader's line ends");
        unchanged = unchanged && read == written && back.groupNames() == row.groupNames();
    }
    if (unchanged && DeviceCsv::checkRows(again).isError())
        qFatal("device CSV: the export of accepted rows is not accepted again");
}

void panelAccountFile(const uint8_t *data, size_t size)
{
    // The panel's file as it came: every byte counts, NUL and bytes that are no UTF-8 included.
    const QByteArray bytes = bytesOf(data, size);
    const PanelAccountMerge::Parsed parsed = PanelAccountMerge::parse(bytes);
    const QByteArray bom("\xef\xbb\xbf");
    const QByteArray body = bytes.startsWith(bom) ? bytes.mid(bom.size()) : bytes;
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    QTextCodec::codecForMib(106)->toUnicode(body.constData(), body.size(), &state);
    const bool utf8 = state.invalidChars == 0 && state.remainingChars == 0;
    if (parsed.isRefused()) {
        if (!parsed.rows.isEmpty())
            qFatal("account file: a refused file gave users");
    } else {
        if (bytes.contains('\0') || !utf8)
            qFatal("account file: a file with a NUL or bytes that are no UTF-8 was read");
        for (const AccountFileRow &row : parsed.rows) {
            if (row.userName.isEmpty())
                qFatal("account file: a user without a name was read");
        }
        if (!sameAccountRows(PanelAccountMerge::parse(AccountFile::build(parsed.rows)).rows, parsed.rows))
            qFatal("account file: the file built from a parse parses to other users");
    }

    // Users built into a file come back with every name and field as they were; a NUL cannot travel in the file,
    // so a file carrying one is refused whole.
    const QList<AccountFileRow> users = usersFromFields(bytes);
    bool nul = false;
    for (const AccountFileRow &user : users)
        nul = nul || holdsNul(user);
    const PanelAccountMerge::Parsed back = PanelAccountMerge::parse(AccountFile::build(users));
    if (nul ? !back.isRefused() : back.isRefused() || !sameAccountRows(back.rows, users))
        qFatal("account file: users built into a file do not come back as they were");
}

} // namespace FileFuzz
