#pragma once

#include <QString>
#include <QStringList>

/// The "Audio" folder of the data folder: the built-in broadcast sounds, the SOS alarm and the
/// sounds uploaded for broadcasts. The built-in sounds are compiled in under ":/resource/audio/"
/// and installed afresh into the folder once per run.
class AudioFolder
{
public:
    /// The data folder followed by "/Audio/".
    static QString path();
    /// "Default_Audio_1.mp3" to "Default_Audio_3.mp3" and "Sos_Alert_Audio.mp3", in install order.
    static QStringList builtInNames();
    /// "Sos_Alert_Audio.mp3".
    static QString alarmName();
    /// ":/resource/audio/" followed by the name.
    static QString resourcePath(const QString &name);

    /// Creates the folder with its missing parents and writes every built-in sound into it anew,
    /// replacing a file of that name; other files in the folder are left alone. Returns the names
    /// that could not be written, empty when all four are in place; `errors` receives one line
    /// per failure for the caller's log.
    static QStringList installBuiltInSounds(const QString &folder = path(), QStringList *errors = nullptr);
    /// The same for one built-in sound; false, with the reason in `error`, when it could not be
    /// written. A file written but left with other permissions still counts as installed.
    static bool installBuiltInSound(const QString &name, const QString &folder = path(), QString *error = nullptr);
};
