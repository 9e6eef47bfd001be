#include "network/SsdpMessage.h"

#include "network/PanelIdentity.h"

#include <QList>
#include <QPair>
#include <QUrl>

#ifndef QUORVIN_VERSION
#define QUORVIN_VERSION "1.5.1036.0"
#endif

const char *const SsdpMessage::kServiceType = "urn:velk:service:console:1";
const char *const SsdpMessage::kServerHeader = "Quorvin/" QUORVIN_VERSION " UPnP/1.1";

namespace {

// Header values are kept as bytes: QString::fromUtf8 stops at a NUL, so a value read as text alone could pass for
// less than was sent.
using Headers = QList<QPair<QByteArray, QByteArray>>;

// Splits a datagram into its first line and its headers (names lower-cased). Accepts "\r\n" and bare "\n" line
// ends; stops at the first empty line.
bool splitMessage(const QByteArray &datagram, QByteArray *firstLine, Headers *headers)
{
    if (datagram.isEmpty() || datagram.size() > SsdpMessage::kMaxDatagram)
        return false;
    const QList<QByteArray> lines = datagram.split('\n');
    *firstLine = lines.first().trimmed();
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        if (line.isEmpty())
            break;
        const int colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        headers->append({line.left(colon).trimmed().toLower(), line.mid(colon + 1)});
    }
    return true;
}

QByteArray rawHeader(const Headers &headers, const char *name)
{
    for (const auto &entry : headers) {
        if (entry.first == name)
            return entry.second;
    }
    return QByteArray();
}

// The value as text, trimmed; empty for a value holding a NUL, which QString::fromUtf8 would end there:
// "ST: urn:velk:service:console:1\0junk" is not our search target.
QString header(const Headers &headers, const char *name)
{
    const QByteArray raw = rawHeader(headers, name);
    if (raw.contains('\0'))
        return QString();
    return QString::fromUtf8(raw).trimmed();
}

} // namespace

bool SsdpMessage::parseSearch(const QByteArray &datagram, SsdpSearch *out)
{
    QByteArray firstLine;
    Headers headers;
    if (!splitMessage(datagram, &firstLine, &headers) || !firstLine.startsWith("M-SEARCH"))
        return false;
    const QString st = header(headers, "st");
    if (st != QLatin1String(kServiceType) && st != QLatin1String("ssdp:all"))
        return false;
    SsdpSearch search;
    search.searchTarget = st;
    search.mac = PanelIdentity::normaliseMac(header(headers, "x-velk-mac"));
    search.model = PanelIdentity::fieldText(header(headers, "x-velk-model"));
    search.deviceType = PanelIdentity::fieldText(header(headers, "x-velk-type"));
    search.displayClientVersion = PanelIdentity::fieldText(header(headers, "x-velk-version"));
    *out = search;
    return true;
}

QByteArray SsdpMessage::buildSearch(const SsdpSearch &search, const QString &hostHeader)
{
    QByteArray out;
    out += "M-SEARCH * HTTP/1.1\r\n";
    out += "HOST: " + hostHeader.toUtf8() + "\r\n";
    out += "MAN: \"ssdp:discover\"\r\n";
    out += "MX: 2\r\n";
    out += "ST: " + (search.searchTarget.isEmpty() ? QByteArray(kServiceType) : search.searchTarget.toUtf8()) + "\r\n";
    out += "X-VELK-MAC: " + search.mac.toUtf8() + "\r\n";
    out += "X-VELK-MODEL: " + search.model.toUtf8() + "\r\n";
    out += "X-VELK-TYPE: " + search.deviceType.toUtf8() + "\r\n";
    out += "X-VELK-VERSION: " + search.displayClientVersion.toUtf8() + "\r\n";
    out += "\r\n";
    return out;
}

QByteArray SsdpMessage::buildAnswer(const QString &consoleIp, quint16 tcpPort, const QString &databaseId)
{
    QString uuid = databaseId;
    uuid.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    QByteArray out;
    out += "HTTP/1.1 200 OK\r\n";
    out += "CACHE-CONTROL: max-age=1800\r\n";
    out += "EXT:\r\n";
    out += "LOCATION: tcp://" + consoleIp.toUtf8() + ':' + QByteArray::number(tcpPort) + "\r\n";
    out += QByteArray("SERVER: ") + kServerHeader + "\r\n";
    out += QByteArray("ST: ") + kServiceType + "\r\n";
    out += "USN: uuid:" + uuid.toUtf8() + "::" + kServiceType + "\r\n";
    out += "\r\n";
    return out;
}

bool SsdpMessage::parseAnswer(const QByteArray &datagram, SsdpAnswer *out)
{
    QByteArray firstLine;
    Headers headers;
    if (!splitMessage(datagram, &firstLine, &headers) || !firstLine.startsWith("HTTP/1.1 200"))
        return false;
    SsdpAnswer answer;
    answer.searchTarget = header(headers, "st");
    if (answer.searchTarget != QLatin1String(kServiceType))
        return false;
    const QUrl location(header(headers, "location"));
    if (location.scheme() != QLatin1String("tcp") || location.host().isEmpty() || location.port() <= 0)
        return false;
    answer.host = location.host();
    answer.port = quint16(location.port());
    answer.usn = header(headers, "usn");
    *out = answer;
    return true;
}
