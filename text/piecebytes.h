#pragma once

#include <QtGlobal>

/// Where the characters of a piece lie in the file they were read from: a
/// range of its bytes that starts where the text starts or right after a
/// line feed, and ends right after one or where the file ends, so that it
/// decodes on its own exactly as it does after the bytes before it.
struct PieceBytes
{
    qint64 begin = 0;
    qint64 end = 0;
    /// It holds the file's last bytes: how the text ends is decided in it
    /// (an unterminated last line gets its line break there).
    bool endsText = false;
    /// Its bytes are exactly what its text is written as in its file's
    /// encoding: a save may copy them as they are.
    bool bytesAreText = false;

    qint64 size() const { return end - begin; }
    bool overlaps(const PieceBytes &other) const { return begin < other.end && other.begin < end; }
    bool operator==(const PieceBytes &other) const
    {
        return begin == other.begin && end == other.end && endsText == other.endsText;
    }
};
