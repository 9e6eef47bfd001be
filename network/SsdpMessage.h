#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// A panel's discovery search as the console reads it. A header value is read whole or not at all: one holding a NUL
// reads as missing, and the texts are kept as PanelIdentity::fieldText keeps them.
struct SsdpSearch
{
    QString searchTarget;         // ST
    QString mac;                  // X-VELK-MAC, normalised; empty when missing, invalid or holding a NUL
    QString model;                // X-VELK-MODEL
    QString deviceType;           // X-VELK-TYPE
    QString displayClientVersion; // X-VELK-VERSION
};

// The console's discovery answer as a panel reads it.
struct SsdpAnswer
{
    QString host;     // from LOCATION
    quint16 port = 0; // from LOCATION
    QString usn;
    QString searchTarget;
};

// The texts of the discovery exchange, HTTP-over-UDP in the SSDP manner. Pure: bytes in, bytes out.
class SsdpMessage
{
public:
    static const char *const kServiceType;  // "urn:velk:service:console:1"
    static const char *const kServerHeader; // "Quorvin/<version> UPnP/1.1"
    // Larger datagrams are not ours and are dropped unread.
    static constexpr int kMaxDatagram = 2048;

    // True for an M-SEARCH whose ST is ours or "ssdp:all"; anything else (other services, an ST holding a NUL,
    // answers, NOTIFY, noise, oversized datagrams) is not answered.
    static bool parseSearch(const QByteArray &datagram, SsdpSearch *out);
    static QByteArray buildSearch(const SsdpSearch &search, const QString &hostHeader);

    // The answer sent to a searching panel and, every re-announce tick, to managed panels that are offline.
    // databaseId may carry braces; they are stripped for the USN.
    static QByteArray buildAnswer(const QString &consoleIp, quint16 tcpPort, const QString &databaseId);
    // True for a "200 OK" with our ST and a "tcp://host:port" LOCATION.
    static bool parseAnswer(const QByteArray &datagram, SsdpAnswer *out);
};
