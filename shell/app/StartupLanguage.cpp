#include "shell/app/StartupLanguage.h"

#include "shell/base/Log.h"
#include "shell/base/Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

QString StartupLanguage::storedLanguage(const QList<VelkAccount> &accounts)
{
    for (const VelkAccount &account : accounts) {
        if (account.isAdmin)
            return account.language;
    }
    return QString();
}

QString StartupLanguage::relativeFileFor(const QString &language)
{
    return QStringLiteral("lang/Orvanta_") + language + QStringLiteral(".qm");
}

QStringList StartupLanguage::defaultSearchBases()
{
    QStringList bases{QString()};
    if (QCoreApplication::instance())
        bases.append(QCoreApplication::applicationDirPath());
    return bases;
}

bool StartupLanguage::load(QTranslator &translator, const QString &language, const QStringList &bases,
                           QString *loadedFile)
{
    const QString relative = relativeFileFor(language);
    for (const QString &base : bases) {
        const QString path = base.isEmpty() ? relative : QDir(base).filePath(relative);
        if (translator.load(path)) {
            if (loadedFile)
                *loadedFile = path;
            return true;
        }
    }
    return false;
}

StartupLanguage::Outcome StartupLanguage::choose(QTranslator &translator, const QString &stored,
                                                 const QString &systemLocaleName, const QStringList &bases)
{
    Outcome outcome;
    if (!stored.isEmpty()) {
        outcome.language = stored;
        if (load(translator, stored, bases, &outcome.loadedFile)) {
            writeLog(LOG_LEVEL_INFO, "load %s", stored.toLatin1().constData());
            outcome.install = true;
            outcome.rightToLeft = stored == QLatin1String("ar");
            outcome.fileLanguage = stored;
        } else if (load(translator, QStringLiteral("en_US"), bases, &outcome.loadedFile)) {
            writeLog(LOG_LEVEL_WARNING, "Failed to load %s, load en_US", stored.toLatin1().constData());
            outcome.install = true;
            outcome.fileLanguage = QStringLiteral("en_US");
        }
        return outcome;
    }
    writeLog(LOG_LEVEL_INFO, "system language name: %s", systemLocaleName.toLatin1().constData());
    outcome.language = systemLocaleName;
    const QString file =
        systemLocaleName.contains(QLatin1String("zh_TW")) ? QStringLiteral("zh_TW") : QStringLiteral("en_US");
    if (load(translator, file, bases, &outcome.loadedFile))
        outcome.fileLanguage = file;
    // An empty translator changes nothing, so it is installed whether or not the file loaded.
    outcome.install = true;
    return outcome;
}

bool StartupLanguage::loadToolkit(QTranslator &translator, const QString &language)
{
    if (language.isEmpty())
        return false;
    return translator.load(QStringLiteral("qtbase_") + language,
                           QLibraryInfo::location(QLibraryInfo::TranslationsPath));
}

void StartupLanguage::apply(const Outcome &outcome, QTranslator *translator)
{
    currentLanguage = outcome.language;
    if (outcome.install)
        QCoreApplication::installTranslator(translator);
    if (outcome.rightToLeft)
        setRightToLeft();
}
