#pragma once

#include <QFile>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QVector>

class QNetworkReply;
class QTimer;

/// Fetches files by HTTP GET into local files, one transfer at a time; requests that arrive meanwhile wait in
/// order. The one downloader of the update manager, shared by every upgrader: each hears every completion and
/// picks out its own by the local path that download() returned.
///
/// A task is tried at most three times and announced exactly once through fileDownloadFinished, with true after
/// the attempt that succeeded or false after the last failure. An attempt fails on a network error, an HTTP status
/// other than 200 (a redirect's body is not the file), a body shorter or longer than its Content-Length, a size
/// other than the expected one, a file error, or when nothing arrives for the stall time-out (60 s). A failed
/// attempt removes its partial file.
///
/// Only http and https are fetched, and only into folders inside the root folder under a plain file name
/// (DownloadRules); a request that breaks a rule is refused with an empty path and writes or removes nothing.
class HttpDownloader : public QObject
{
    Q_OBJECT
public:
    explicit HttpDownloader(QObject *parent = nullptr);

    /// Folders outside this one are refused; empty refuses every request.
    void setRootFolder(const QString &folder);
    QString rootFolder() const { return m_root; }
    void setStallTimeout(int ms);

    /// Starts or queues a download into `dir` (created when missing) under `fileName`, or under the address's last
    /// path segment when `fileName` is empty. `expectedSize` > 0 is the size the file must have. Returns the local
    /// path that will be announced, or an empty text when the request was refused; a refused request is never
    /// announced. A file already at that path is removed at once.
    QString download(const QString &dir, const QString &url, const QString &fileName = QString(),
                     qint64 expectedSize = 0);

    /// The current task of that path is stopped without a retry and returns true; its failure is announced later
    /// from the event loop. A queued task of that path is dropped without an announcement and returns false.
    bool cancelDownload(const QString &filePath);

    bool isDownloading() const { return m_busy; }

signals:
    void fileDownloadFinished(QString filename, bool success);

private:
    struct DownloadTask
    {
        QString dir;
        QString url;
        QString fileName;
        qint64 expectedSize = 0;
        QString filePath;
    };

    QString localPath(const QString &dir, const QUrl &url, const QString &fileName) const;
    bool startTask(const DownloadTask &task);
    void writeToFile();
    void checkStatus();
    void finishWriteToFile();
    void stalled();
    void failAttempt(const QString &reason);
    // Ends the running attempt; a bad one is retried or announced, then the next queued task starts.
    void endAttempt(bool good);
    void releaseReply(bool abort);
    void startNext();
    void announceLater(const QString &path, bool success);

    QNetworkAccessManager m_network;
    QString m_root;
    int m_stallMs = 60000;
    bool m_busy = false;
    QVector<DownloadTask> m_queue;
    QNetworkReply *m_reply = nullptr;
    QTimer *m_stallTimer = nullptr;
    QFile m_file;
    DownloadTask m_current;
    int m_retryCount = 0;
    qint64 m_written = 0;
};
