#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

// Points HOME and the XDG folders at a fresh temporary folder, so the data folder
// (~/.local/share/<exe>) and the documents folder (~/Documents) of the code under test
// never touch the real user's files, and parallel test executables never share them.
class TestEnv
{
public:
    TestEnv()
    {
        m_oldHome = qgetenv("HOME");
        const QString root = m_dir.path();
        QDir().mkpath(root + "/Documents");
        qputenv("HOME", QFile::encodeName(root));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root + "/.local/share"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/.config"));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(root + "/.cache"));
        qunsetenv("XDG_DOCUMENTS_DIR");
    }
    ~TestEnv() { qputenv("HOME", m_oldHome); }

    QString home() const { return m_dir.path(); }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
};
