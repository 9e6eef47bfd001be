#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

class QIODevice;

/// One delta package of "manifest.xml": it takes a device of one model from oldVersion to newVersion.
struct ManifestPackage
{
    bool v2 = false; ///< a "PackageV2" (for one SKU) rather than a "Package" (for every SKU)
    QString oldVersion;
    QString newVersion;
    QString sku;      ///< empty for a "Package", and for a "PackageV2" whose sku is empty (fits every SKU)
    QString name;     ///< for the log only
    qint64 size = -1; ///< bytes; -1 when missing or not a positive number
    QString url;      ///< the first "DownloadServer" URL inside the package the downloader fetches; empty when none
};

/// Reads the update manifest "manifest.xml" of the control boxes and the panels' operating system. Pure: fed with
/// the file's contents.
///
///     <Manifest>
///       <Package modelName="Velk TM7-B" oldVersion="2.5.2051.0" newVersion="2.5.2052.0" name="a.zip" size="40960">
///         <DownloadServer URL="http://updates.example/pkg/a.zip"/></Package>
///       <PackageV2 modelName="Velk TM7-B" sku="EDU" oldVersion="2.5.2052.0" newVersion="2.5.2053.0" ...>
///     </Manifest>
///
/// Every start element is visited at any depth; only "Package" and "PackageV2" of the asked model count (names
/// case-sensitive), a "PackageV2" only with an "sku" attribute. A package whose versions are not four fields of
/// digits is dropped with a log line: the route builder compares them field by field. Sizes are 64-bit; a package
/// that states more than 4 GiB (however many digits) is dropped with a log line as well.
class BoxManifest
{
public:
    struct Result
    {
        QVector<ManifestPackage> packages; ///< document order
        int dropped = 0;                   ///< packages of the model refused (malformed versions, a size above 4 GiB)
        QString error;                     ///< the XML error that ended the reading early; the packages before it stand
    };

    static Result read(QIODevice *device, const QString &modelName);
    static Result read(const QByteArray &xml, const QString &modelName);

    /// Four non-empty fields of decimal digits separated by ".".
    static bool isWellFormedVersion(const QString &version);
    /// A decimal byte count above 0, else -1; digits too many for 64 bits give the largest count, which every
    /// limit refuses (a size far above 4 GiB, not a missing one), also with blanks around them or a plus before them.
    static qint64 parseSize(const QStringRef &text);
};
