#include "ProtocolFuzz.h"

#include "network/FrameDecoder.h"
#include "network/PanelIdentity.h"
#include "network/SsdpMessage.h"

#include <QByteArray>
#include <QList>
#include <QPair>

namespace {
using Frames = QList<QPair<quint16, QByteArray>>;

// Small limit so that the fuzzer reaches the oversized-length path with short inputs.
constexpr qint32 kFuzzMaxPayload = 4096;

Frames decodeInPieces(const QByteArray &bytes, int piece, bool *failed)
{
    FrameDecoder decoder(kFuzzMaxPayload);
    Frames frames;
    *failed = false;
    for (int at = 0; at < bytes.size() && !*failed; at += piece) {
        decoder.append(bytes.constData() + at, qMin(piece, bytes.size() - at));
        FrameView view;
        for (;;) {
            const FrameDecoder::Result r = decoder.next(&view);
            if (r == FrameDecoder::NeedMore)
                break;
            if (r == FrameDecoder::BadLength) {
                *failed = true;
                break;
            }
            if (view.size < 0 || view.size > kFuzzMaxPayload)
                qFatal("frame view of impossible size %d", view.size);
            frames.append(qMakePair(view.code, view.copy()));
        }
    }
    return frames;
}

// What the console keeps of a panel's text: within the limit, no NUL (which ends the text wherever it is read as a C
// string) and no half of a surrogate pair.
void checkKeptText(const QString &text, const char *what)
{
    if (text.size() > PanelIdentity::kMaxFieldLength)
        qFatal("%s longer than the limit", what);
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isNull())
            qFatal("%s holds a NUL", what);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            qFatal("%s holds half a surrogate pair", what);
    }
}
} // namespace

namespace ProtocolFuzz {

void frameDecoder(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    bool wholeFailed = false;
    const Frames whole = decodeInPieces(bytes, qMax(1, bytes.size()), &wholeFailed);
    const int pieces[] = {1, 5, 7};
    for (int piece : pieces) {
        bool failed = false;
        const Frames split = decodeInPieces(bytes, piece, &failed);
        if (split != whole || failed != wholeFailed)
            qFatal("decoding in pieces of %d differs from decoding whole", piece);
    }
}

void panelIdentity(const uint8_t *data, size_t size)
{
    PanelIdentity identity;
    QString error;
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    if (!PanelIdentity::fromJson(bytes, &identity, &error))
        return;
    if (identity.mac.isEmpty() || PanelIdentity::normaliseMac(identity.mac) != identity.mac)
        qFatal("accepted identity without a normalised MAC");
    const QString *fields[] = {&identity.model,          &identity.deviceType,           &identity.fwVersion,
                               &identity.panelFwVersion, &identity.displayClientVersion, &identity.sku,
                               &identity.ipAddress,      &identity.subnetMask,           &identity.gateway,
                               &identity.password};
    for (const QString *field : fields)
        checkKeptText(*field, "identity field");
    PanelIdentity again;
    if (!PanelIdentity::fromJson(identity.toJson(), &again) || again.mac != identity.mac)
        qFatal("an accepted identity does not survive a round trip");
}

void ssdpSearch(const uint8_t *data, size_t size)
{
    SsdpSearch search;
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    if (!SsdpMessage::parseSearch(bytes, &search))
        return;
    if (bytes.size() > SsdpMessage::kMaxDatagram)
        qFatal("an oversized datagram was taken for a search");
    for (const QString *header : {&search.model, &search.deviceType, &search.displayClientVersion})
        checkKeptText(*header, "search header");
    SsdpAnswer answer;
    SsdpMessage::parseAnswer(bytes, &answer);
}

void any(const uint8_t *data, size_t size)
{
    if (size == 0)
        return;
    switch (data[0] % 3) {
    case 0:
        frameDecoder(data + 1, size - 1);
        break;
    case 1:
        panelIdentity(data + 1, size - 1);
        break;
    default:
        ssdpSearch(data + 1, size - 1);
        break;
    }
}

} // namespace ProtocolFuzz
