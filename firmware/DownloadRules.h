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
    // How much a server may send. The files are small or their size is stated; a server that sends more, or
    // states an absurd size, is broken or hostile, and the disk must not fill for it.
    static constexpr qint64 MaxUpdateConfigBytes = 1024 * 1024;                ///< update.cfg
    static constexpr qint64 MaxManifestBytes = 16 * 1024 * 1024;               ///< manifest.xml, manifest_panel.xml
    static constexpr qint64 MaxAudioFirmwareBytes = 256LL * 1024 * 1024;       ///< an audio box's file (no size stated)
    static constexpr qint64 MaxStatedFirmwareBytes = 4LL * 1024 * 1024 * 1024; ///< a package's or image's stated size
    /// A download that receives less than this in any stall window (60 s) has failed its attempt: a server that
    /// drips a byte at a time fails within minutes, while a large file on a slow link still arrives.
    static constexpr qint64 MinBytesPerStallWindow = 64 * 1024;

    /// http or https with a host.
    static bool isFetchableUrl(const QUrl &url);
    /// An address as the downloader reads its text, when the downloader would fetch it. The manifests take the
    /// first address of a package or image that passes this: one it would refuse ("ftp://...", "http://" without
    /// a host, "none") counts as none, like a blank one, and must not hide a usable address after it.
    static bool isFetchableAddress(const QString &address) { return isFetchableUrl(QUrl(address)); }

    /// Letters, digits, ".", "_" and "-", not starting with ".", at most 255 characters.
    static bool isSafeFileName(const QString &name);

    /// The last segment of the address's path, fully decoded; "download" when that segment is empty.
    static QString urlFileName(const QUrl &url);

    /// True when `path` lies strictly inside `folder` (both made absolute and cleaned first).
    static bool isInsideFolder(const QString &path, const QString &folder);
};
