#include "shell/kit/FileChooser.h"

#include "shell/base/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
FileChooser *installedChooser = nullptr;
}

FileChooser::~FileChooser() = default;

FileChooser *FileChooser::instance()
{
    static DialogFileChooser dialogs;
    return installedChooser ? installedChooser : &dialogs;
}

void FileChooser::setInstance(FileChooser *chooser)
{
    installedChooser = chooser;
}

QString FileChooser::startFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\");
#else
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
#endif
}

QString FileChooser::withSuffix(const QString &fileName, const QString &suffix, bool *added)
{
    const QString ending = QLatin1Char('.') + suffix;
    const bool has = fileName.endsWith(ending, Qt::CaseInsensitive);
    if (added)
        *added = !has;
    if (has)
        return fileName;
    return fileName.endsWith(QLatin1Char('.')) ? fileName + suffix : fileName + ending;
}

QString FileChooser::keptExistingText(const QString &fileName)
{
    return QCoreApplication::translate("FileChooser",
                                       "%1 already exists and was not replaced. Please choose another name.")
        .arg(QFileInfo(fileName).fileName());
}

QString FileChooser::nameToSave(const QString &chosen, const QString &suffix, const char *where, QString *notice)
{
    bool added = false;
    const QString fileName = withSuffix(chosen, suffix, &added);
    if (!added || !QFileInfo::exists(fileName))
        return fileName;
    writeLog(LOG_LEVEL_WARNING, "%s - %s exists, not replaced", where, fileName.toLocal8Bit().constData());
    if (notice)
        *notice = keptExistingText(fileName);
    return QString();
}

QString DialogFileChooser::getSaveFileName(QWidget *parent, const QString &caption, const QString &dir,
                                           const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

QString DialogFileChooser::getOpenFileName(QWidget *parent, const QString &caption, const QString &dir,
                                           const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}
