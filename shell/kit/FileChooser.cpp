#include "shell/kit/FileChooser.h"

#include <QFileDialog>

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
