#pragma once

// Byte streams of encoded frames for the decoding benchmark. The decoder bets on runs of one frame length (it reads
// the next cursor before the header's load when the length repeats), so a stream of one repeated frame shows only its
// best case; the mixed streams draw every frame's length at random and defeat that bet.

#include <QByteArray>

namespace bench {

// `payloadSize` bytes of payload per frame, repeated up to at least `totalBytes`.
QByteArray repeatedFrames(int payloadSize, qint64 totalBytes);

// What a busy console receives: mostly int32 answers and keep-alives, some short texts and JSON, account files and
// full transfer chunks, each frame's kind and length drawn at random (fixed seed) in that mix.
QByteArray mixedFrames(qint64 totalBytes);

// Only small frames (0 to 64 bytes of payload), every length drawn at random: the most frames per byte with the
// length changing from one frame to the next.
QByteArray mixedSmallFrames(qint64 totalBytes);

} // namespace bench
