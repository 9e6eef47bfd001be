#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QVector>

#include <deque>

class QNetworkReply;
class QTimer;

/// Fetches files by HTTP GET into local files, one transfer at a time; requests that arrive meanwhile wait in
/// order. The one downloader of the update manager, shared by every upgrader: each hears every completion and
/// picks out its own by the local path that download() returned.
///
/// A task is tried at most three times and announced exactly once through fileDownloadFinished, with true after
/// the attempt that succeeded or false after the last failure. An attempt fails on a network error, an HTTP status
/// other than 200 (a redirect's body is not the file), a body shorter or longer than its Content-Length, a size
/// other than the expected one, a body (or an announced Content-Length) above the task's limit, a file error, or
/// when less than 64 KiB arrive in any stall window (60 s). Nothing is written past the limit. A failed attempt
/// removes its partial file.
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
    /// The stall window: an attempt that receives less than DownloadRules::MinBytesPerStallWindow in any window
    /// of this length fails.
    void setStallTimeout(int ms);

    /// Starts or queues a download into `dir` (created when missing) under `fileName`, or under the address's last
    /// path segment when `fileName` is empty. `expectedSize` > 0 is the size the file must have; otherwise
    /// `maxSize` > 0 is the most it may have. Returns the local path that will be announced, or an empty text when
    /// the request was refused; a refused request is never announced. A file already at that path is removed at
    /// once.
    QString download(const QString &dir, const QString &url, const QString &fileName = QString(),
                     qint64 expectedSize = 0, qint64 maxSize = 0);

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
        qint64 maxSize = 0;
        QString filePath;

        /// The most bytes the file may have; 0 for no limit.
        qint64 limit() const { return expectedSize > 0 ? expectedSize : maxSize; }
    };
    struct Progress
    {
        qint64 atMs;
        qint64 received;
    };

    QString localPath(const QString &dir, const QUrl &url, const QString &fileName) const;
    bool startTask(const DownloadTask &task);
    void writeToFile();
    void checkStatus();
    void finishWriteToFile();
    void stalled();
    /// Fails the attempt (true) when `incoming` more bytes would take the file past the task's limit.
    bool exceedsLimit(qint64 incoming);
    /// Notes what the attempt has received and moves the stall deadline: the moment the last window without
    /// enough bytes would end if nothing more came.
    void noteProgress();
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
    QElapsedTimer m_attemptClock;
    std::deque<Progress> m_progress; ///< the attempt's last arrivals, back to the one that began its last 64 KiB
};
