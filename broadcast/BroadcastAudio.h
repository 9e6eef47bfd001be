#pragma once

#include "datastore/VelkBroadcast.h"

#include <QString>

/// The sound files of broadcasts in the Audio folder: which file a record plays, and a record's own copy of its
/// uploaded sound. Every name a record carries is reduced to a plain file name inside the folder, so a stored name
/// cannot reach a file elsewhere.
namespace BroadcastAudio {

/// The Audio folder the command server sends broadcast sounds from (the data folder's "Audio" unless the network
/// configuration names another); pages and editors read and write the same one.
QString folder();

/// "Default_Audio_1.mp3" to "Default_Audio_3.mp3" for the selections 1 to 3; empty otherwise.
QString builtinFileName(int audioSelection);
/// The file a record plays: a built-in sound, its uploaded file (selection 4), or empty for none.
QString fileNameOf(const VelkBroadcast &broadcast);
/// The full path of a file name in the folder (the name's own folders are dropped); empty for an empty name.
QString pathIn(const QString &audioFolder, const QString &fileName);
/// The first "base_N.ext" (N = 1, 2, ...) not present in the folder.
QString duplicateName(const QString &audioFolder, const QString &fileName);
/// Sets the permissions a sound needs to be read by the console and the panels' transfers: read and write for the
/// owner, read for everyone else.
bool makeReadable(const QString &path);
/// Gives the record its own copy of its uploaded sound and points savedAudioFilename at it; false, with the record
/// unchanged and a log line, when the file is missing or cannot be copied.
bool duplicateCustomAudioFile(const QString &audioFolder, VelkBroadcast &broadcast);
/// Removes a broadcast's own (uploaded or copied) sound of that name from the folder; false, with a log line, when it
/// is there and cannot be removed.
bool removeOwnSound(const QString &audioFolder, const QString &fileName);

} // namespace BroadcastAudio
