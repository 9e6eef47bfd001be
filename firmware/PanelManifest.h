#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

class QIODevice;

/// Reads the panel firmware manifest "manifest_panel.xml": per OS version of the panel model, the panel firmware
/// version that goes with it and the images per panel size and variant. Pure: fed with the file's contents.
///
///     <Package modelName="Velk TM B-Series" oldVersion="2.5.1052.0" panel_fw_Version="00.01.00.07"
///              panel_fw_size_65="65536" panel_fw_size_75_01="65540" ...>
///       <DownloadPanelServer_65 URL="http://updates.example/panel/65.img"/>
///     </Package>
///
/// "oldVersion" is the OS version a delta step installs. The manifest is read once per check and kept, so a check
/// that downloads it again never pulls it from under a running update.
class PanelManifest
{
public:
    struct Entry
    {
        QString oldVersion;
        QString panelVersion;               ///< "panel_fw_Version"; empty when missing
        QHash<QString, QString> attributes; ///< the size attributes, as written
        QHash<QString, QString> servers;    ///< server element name -> its first URL the downloader fetches
    };
    struct Image
    {
        QString url;
        qint64 size = -1;
    };

    QVector<Entry> entries; ///< of the model, in document order
    QString error;          ///< the XML error that ended the reading early

    static PanelManifest read(QIODevice *device, const QString &modelName);
    static PanelManifest read(const QByteArray &xml, const QString &modelName);

    /// The panel version of the first entry of that OS version whose "panel_fw_Version" is well formed; empty when
    /// there is none.
    QString matchedPanelVersion(const QString &opsVersion) const;
    /// The image for that OS version, panel size (65, 75 or 86) and OC code ("00" takes the plain names, any other
    /// the "_01" ones): the first entry with a positive size for it (at most 4 GiB) and a server element with a URL. No
    /// URL when there is none.
    Image image(const QString &opsVersion, int inches, const QString &ocCode) const;
    /// "panel_fw_size_65" / "DownloadPanelServer_65" and their "_01" forms; empty for another size.
    static QString sizeAttribute(int inches, const QString &ocCode);
    static QString serverElement(int inches, const QString &ocCode);
};
