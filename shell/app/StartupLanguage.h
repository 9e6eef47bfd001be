#pragma once

#include "datastore/VelkAccount.h"

#include <QList>
#include <QString>
#include <QStringList>

class QTranslator;

/// Chooses and loads the translation at start-up.
class StartupLanguage
{
public:
    struct Outcome
    {
        QString language;         ///< what becomes currentLanguage
        bool install = false;     ///< whether the translator is to be installed
        bool rightToLeft = false; ///< the stored language "ar" whose file loaded
        QString loadedFile;       ///< the file the translator holds, empty when none loaded
        QString fileLanguage;     ///< the language of that file, empty when none loaded
    };

    /// The language of the first administrator account in list order; empty when none.
    static QString storedLanguage(const QList<VelkAccount> &accounts);

    /// "lang/Orvanta_<language>.qm".
    static QString relativeFileFor(const QString &language);

    /// Where relativeFileFor() is looked up, in order: the working folder, then the folder of
    /// the executable (for a launcher that starts the console from elsewhere).
    static QStringList defaultSearchBases();

    /// Loads relativeFileFor(language) from the first base that has it.
    static bool load(QTranslator &translator, const QString &language, const QStringList &bases,
                     QString *loadedFile = nullptr);

    /// A stored language loads its own file, else the en_US file; without one the system
    /// locale's name decides between the zh_TW and the en_US file. Writes the start-up log
    /// lines. Installation is left to the caller.
    static Outcome choose(QTranslator &translator, const QString &stored, const QString &systemLocaleName,
                          const QStringList &bases);

    /// Loads the toolkit's own texts for `language` (those of its file dialogs: "Look in", "File name", "Cancel"
    /// ...) from Qt's translations folder. False where that file is not installed; the dialogs then stay English.
    static bool loadToolkit(QTranslator &translator, const QString &language);

    /// Puts the outcome into force for the session: currentLanguage, the translator installed
    /// (it must outlive every window), and right-to-left layout for Arabic.
    static void apply(const Outcome &outcome, QTranslator *translator);
};
