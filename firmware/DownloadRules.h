#pragma once

#include <QString>
#include <QUrl>

/// What the downloader may fetch and where it may write. Pure: no files are touched.
///
/// Firmware addresses come from files on a server (the update configuration, the manifests), so they are
/// untrusted: only http and https are fetched (Qt would also read file: and qrc: addresses and hand a local
/// file to the panels), and a local file name taken from an address must be a plain name. A decoded "\" or ":"
/// (as in "..%5C..%5Cx.exe") would leave the download folder on Windows, and the file at the target is removed
/// when the request is made, so a crafted address could delete or overwrite the operator's files.
class DownloadRules
{
public:
    /// http or https with a host.
    static bool isFetchableUrl(const QUrl &url);

    /// Letters, digits, ".", "_" and "-", not starting with ".", at most 255 characters.
    static bool isSafeFileName(const QString &name);

    /// The last segment of the address's path, fully decoded; "download" when that segment is empty.
    static QString urlFileName(const QUrl &url);

    /// True when `path` lies strictly inside `folder` (both made absolute and cleaned first).
    static bool isInsideFolder(const QString &path, const QString &folder);
};
