#pragma once

#include "platform/audio/SoundPlayer.h"

#include <QFileInfo>
#include <QStringList>

// A SoundPlayer that makes no sound: it records what it was asked to play and lets the test
// decide when a sound ends or fails. By default a file plays when it exists and is readable,
// as with the real player.
class FakeSoundPlayer : public SoundPlayer
{
public:
    using SoundPlayer::SoundPlayer;

    bool play(const QString &filePath, bool loop) override
    {
        plays.append(filePath);
        loops.append(loop);
        const QFileInfo info(filePath);
        if (!info.isFile() || !info.isReadable())
            return false;
        m_file = filePath;
        m_playing = true;
        return true;
    }
    void stop() override
    {
        if (m_playing)
            ++stops;
        m_playing = false;
    }
    bool isPlaying() const override { return m_playing; }
    QString currentFile() const override { return m_file; }

    // What the real player does when the back end gives up on the sound.
    void failNow(const QString &reason = QStringLiteral("no audio output"))
    {
        m_playing = false;
        emit failed(reason);
    }
    // What the real player does as the output first takes the sound, and once a hung output answers again.
    void hearNow() { emit heard(); }
    void answerAgain() { emit outputAnswersAgain(); }
    void finishNow()
    {
        m_playing = false;
        emit finished();
    }

    QStringList plays;
    QList<bool> loops;
    int stops = 0;

private:
    QString m_file;
    bool m_playing = false;
};
