#include "firmware/HttpDownloader.h"
#include "firmware/OtaLogText.h"

#include "firmware/DownloadRules.h"
#include "shell/base/Log.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslSocket>
#include <QTimer>

namespace {
constexpr int MaxRetryCount = 2;
// What the network thread may hold for us before it stops reading the socket: the body goes to the disk as it
// arrives, so a large file never sits in memory.
constexpr qint64 ReadBufferSize = 1024 * 1024;

} // namespace

HttpDownloader::HttpDownloader(QObject *parent) : QObject(parent)
{
    const bool ssl = QSslSocket::supportsSsl();
    writeLog(LOG_LEVEL_INFO, "supportsSsl: %s", ssl ? "1" : "0");
    if (ssl)
        writeLog(LOG_LEVEL_INFO, "SSL library in use at run-time: %s",
                 qPrintable(QSslSocket::sslLibraryVersionString()));
    m_stallTimer = new QTimer(this);
    m_stallTimer->setSingleShot(true);
    m_stallTimer->setInterval(m_stallMs);
    connect(m_stallTimer, &QTimer::timeout, this, &HttpDownloader::stalled);
}

void HttpDownloader::setRootFolder(const QString &folder)
{
    m_root = folder;
}

void HttpDownloader::setStallTimeout(int ms)
{
    m_stallMs = ms;
    m_stallTimer->setInterval(ms);
}

QString HttpDownloader::localPath(const QString &dir, const QUrl &url, const QString &fileName) const
{
    const QString name = fileName.isEmpty() ? DownloadRules::urlFileName(url) : fileName;
    if (!DownloadRules::isSafeFileName(name)) {
        writeLog(LOG_LEVEL_WARNING, "HttpDownloader::download, refused file name: %s", qPrintable(name));
        return QString();
    }
    const QString path = QDir(dir).filePath(name);
    // The root itself may be reached through a link; what counts is where the files really land.
    const QString realRoot = QFileInfo(m_root).canonicalFilePath();
    const QString realDir = QFileInfo(dir).canonicalFilePath();
    if (m_root.isEmpty() || realRoot.isEmpty() || realDir.isEmpty() ||
        !DownloadRules::isInsideFolder(realDir + QLatin1Char('/') + name, realRoot)) {
        writeLog(LOG_LEVEL_WARNING, "HttpDownloader::download, refused folder: %s", qPrintable(dir));
        return QString();
    }
    return path;
}

QString HttpDownloader::download(const QString &dir, const QString &url, const QString &fileName, qint64 expectedSize,
                                 qint64 maxSize)
{
    writeLog(LOG_LEVEL_INFO, "HttpDownloader::download: %s", qPrintable(url));
    const QUrl address(url);
    if (!DownloadRules::isFetchableAddress(url)) {
        writeLog(LOG_LEVEL_WARNING, "HttpDownloader::download, refused (only http and https): %s", qPrintable(url));
        return QString();
    }
    if (m_root.isEmpty() ||
        !(DownloadRules::isInsideFolder(dir, m_root) || QDir::cleanPath(QFileInfo(dir).absoluteFilePath()) ==
                                                            QDir::cleanPath(QFileInfo(m_root).absoluteFilePath()))) {
        writeLog(LOG_LEVEL_WARNING, "HttpDownloader::download, refused folder: %s", qPrintable(dir));
        return QString();
    }
    if (!QFileInfo::exists(dir)) {
        writeLog(LOG_LEVEL_INFO, "create dir: %s", qPrintable(dir));
        QDir().mkpath(dir);
    }
    DownloadTask task;
    task.dir = dir;
    task.url = url;
    task.fileName = fileName;
    task.expectedSize = expectedSize;
    task.maxSize = maxSize;
    task.filePath = localPath(dir, address, fileName);
    if (task.filePath.isEmpty())
        return QString();
    writeLog(LOG_LEVEL_INFO, "getFilePath: %s", qPrintable(task.filePath));
    // The running task of the same path truncates its file itself when it is tried again.
    const bool running = m_busy && m_current.filePath == task.filePath;
    if (!running && QFileInfo::exists(task.filePath)) {
        writeLog(LOG_LEVEL_INFO, "file exists, overwrite(remove old one): %s", qPrintable(task.filePath));
        QFile::remove(task.filePath);
    }
    if (m_busy) {
        writeLog(LOG_LEVEL_INFO, "still downloading, save the request: %s", qPrintable(url));
        m_queue.append(task);
        return task.filePath;
    }
    m_retryCount = 0;
    if (!startTask(task))
        return QString();
    return task.filePath;
}

bool HttpDownloader::startTask(const DownloadTask &task)
{
    m_busy = true;
    m_current = task;
    m_written = 0;
    m_file.setFileName(task.filePath);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        writeLog(LOG_LEVEL_ERROR, "Could not open %s for read/write: %s", qPrintable(task.filePath),
                 qPrintable(m_file.errorString()));
        m_busy = false;
        m_current = DownloadTask();
        return false;
    }
    QNetworkRequest request{QUrl(task.url)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    m_reply = m_network.get(request);
    m_reply->setReadBufferSize(ReadBufferSize);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &HttpDownloader::checkStatus);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpDownloader::writeToFile);
    connect(m_reply, &QNetworkReply::finished, this, &HttpDownloader::finishWriteToFile);
    m_attemptClock.start();
    m_progress.clear();
    noteProgress();
    return true;
}

void HttpDownloader::noteProgress()
{
    // Less than MinBytesPerStallWindow in any window fails the attempt. If nothing more came, the first such window
    // would end one window after the arrival that began the last MinBytesPerStallWindow bytes (after the start
    // while fewer have come); arrivals before that one are never needed again.
    const qint64 now = m_attemptClock.elapsed();
    if (m_progress.empty() || m_progress.back().received != m_written)
        m_progress.push_back(Progress{now, m_written});
    const qint64 floor = m_written - DownloadRules::MinBytesPerStallWindow;
    while (m_progress.size() > 1 && m_progress.front().received <= floor)
        m_progress.pop_front();
    const qint64 deadline = m_progress.front().atMs + m_stallMs;
    m_stallTimer->start(int(qBound<qint64>(0, deadline - now, m_stallMs)));
}

void HttpDownloader::checkStatus()
{
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() != 200) {
        failAttempt(QStringLiteral("HTTP status %1").arg(status.toInt()));
        return;
    }
    // A body announced larger than the task may take is refused before a byte of it is read.
    const QVariant announced = m_reply->header(QNetworkRequest::ContentLengthHeader);
    const qint64 limit = m_current.limit();
    if (limit > 0 && announced.isValid() && announced.toLongLong() > limit) {
        writeLog(LOG_LEVEL_WARNING, "file size error: %s, announced size: %s, at most: %s",
                 qPrintable(m_current.filePath), logNumber(announced.toLongLong()).constData(),
                 logNumber(limit).constData());
        failAttempt(QStringLiteral("larger than allowed"));
    }
}

void HttpDownloader::writeToFile()
{
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() != 200) {
        failAttempt(QStringLiteral("HTTP status %1").arg(status.toInt()));
        return;
    }
    const QByteArray data = m_reply->readAll();
    if (exceedsLimit(data.size()))
        return;
    if (m_file.write(data) != data.size()) {
        failAttempt(QStringLiteral("write error: ") + m_file.errorString());
        return;
    }
    m_written += data.size();
    noteProgress();
}

bool HttpDownloader::exceedsLimit(qint64 incoming)
{
    // A server that sends more than the manifest promised, or than such a file can be, is cut off before the
    // excess reaches the disk.
    const qint64 limit = m_current.limit();
    if (limit <= 0 || m_written + incoming <= limit)
        return false;
    writeLog(LOG_LEVEL_WARNING, "file size error: %s, size: %s, at most: %s", qPrintable(m_current.filePath),
             logNumber(m_written + incoming).constData(), logNumber(limit).constData());
    failAttempt(QStringLiteral("larger than allowed"));
    return true;
}

void HttpDownloader::stalled()
{
    writeLog(LOG_LEVEL_WARNING, "download stalled: %s, less than %s bytes received in %s ms", qPrintable(m_current.url),
             logNumber(DownloadRules::MinBytesPerStallWindow).constData(), logNumber(m_stallMs).constData());
    failAttempt(QStringLiteral("stalled"));
}

void HttpDownloader::failAttempt(const QString &reason)
{
    writeLog(LOG_LEVEL_WARNING, "fail downloading: %s (%s)", qPrintable(m_current.url), qPrintable(reason));
    releaseReply(true);
    endAttempt(false);
}

void HttpDownloader::finishWriteToFile()
{
    QNetworkReply *reply = m_reply;
    if (reply->error() != QNetworkReply::NoError) {
        failAttempt(reply->errorString());
        return;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.toInt() != 200) {
        failAttempt(QStringLiteral("HTTP status %1").arg(status.toInt()));
        return;
    }
    const QByteArray rest = reply->readAll();
    if (exceedsLimit(rest.size()))
        return;
    bool good = m_file.write(rest) == rest.size() && m_file.error() == QFileDevice::NoError;
    m_written += rest.size();
    const QVariant announced = reply->header(QNetworkRequest::ContentLengthHeader);
    if (good && announced.isValid() && announced.toLongLong() != m_written) {
        writeLog(LOG_LEVEL_WARNING, "content length error: %s, received: %s, announced: %s",
                 qPrintable(m_current.filePath), logNumber(m_written).constData(),
                 logNumber(announced.toLongLong()).constData());
        good = false;
    }
    if (good && m_current.expectedSize > 0 && m_written != m_current.expectedSize) {
        writeLog(LOG_LEVEL_WARNING, "file size error: %s, size: %s, expected size: %s", qPrintable(m_current.filePath),
                 logNumber(m_written).constData(), logNumber(m_current.expectedSize).constData());
        good = false;
    }
    releaseReply(false);
    endAttempt(good);
}

void HttpDownloader::releaseReply(bool abort)
{
    m_stallTimer->stop();
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    if (abort)
        reply->abort();
    reply->deleteLater();
}

void HttpDownloader::endAttempt(bool good)
{
    const QString path = m_current.filePath;
    m_file.close();
    if (good) {
        writeLog(LOG_LEVEL_INFO, "finished downloading: %s", qPrintable(path));
        m_retryCount = 0;
        m_current = DownloadTask();
        // Still busy while the listeners hear of it: a download they ask for now waits for its turn.
        emit fileDownloadFinished(path, true);
        m_busy = false;
        startNext();
        return;
    }
    writeLog(LOG_LEVEL_INFO, "file error: %s", qPrintable(path));
    QFile::remove(path);
    m_busy = false;
    if (m_retryCount < MaxRetryCount) {
        ++m_retryCount;
        writeLog(LOG_LEVEL_INFO, "retry downloading: %s, count: %s", qPrintable(m_current.url),
                 logNumber(m_retryCount).constData());
        const DownloadTask task = m_current;
        if (startTask(task))
            return;
        announceLater(path, false);
    } else {
        writeLog(LOG_LEVEL_INFO, "still fail after retry");
        m_retryCount = 0;
        m_current = DownloadTask();
        m_busy = true;
        emit fileDownloadFinished(path, false);
        m_busy = false;
    }
    m_retryCount = 0;
    m_current = DownloadTask();
    startNext();
}

void HttpDownloader::startNext()
{
    while (!m_busy && !m_queue.isEmpty()) {
        const DownloadTask task = m_queue.takeFirst();
        m_retryCount = 0;
        if (!startTask(task))
            announceLater(task.filePath, false); // never leave a requester waiting for a task that cannot start
    }
}

void HttpDownloader::announceLater(const QString &path, bool success)
{
    QMetaObject::invokeMethod(
        this, [this, path, success] { emit fileDownloadFinished(path, success); }, Qt::QueuedConnection);
}

bool HttpDownloader::cancelDownload(const QString &filePath)
{
    if (m_busy && filePath == m_current.filePath) {
        writeLog(LOG_LEVEL_INFO, "Cancel download task: %s", qPrintable(filePath));
        releaseReply(true);
        m_file.close();
        QFile::remove(filePath);
        m_busy = false;
        m_retryCount = 0;
        m_current = DownloadTask();
        // Later, so that a requester walking its own request list is not changed under its feet.
        announceLater(filePath, false);
        startNext();
        return true;
    }
    for (int i = 0; i < m_queue.size(); ++i) {
        if (m_queue.at(i).filePath == filePath) {
            writeLog(LOG_LEVEL_INFO, "Cancel download task in remainedDownloadTasks: %s", qPrintable(filePath));
            m_queue.remove(i);
            break;
        }
    }
    return false;
}
