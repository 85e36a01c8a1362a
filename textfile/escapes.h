#pragma once

#include <QStringView>

// The characters that stand for undecodable bytes, and the lone surrogates
// among which they are found.
namespace TextFileFormat {

inline bool isEscape(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

/// Whether c stands for any byte, as in UTF-16 and UTF-32 (and, for the
/// ASCII bytes they do not read as themselves, in a few code pages).
inline bool isByteEscape(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDCFF;
}

/// The position of the first surrogate at or after from that is not half of
/// a pair, or -1.
inline qsizetype nextLoneSurrogate(QStringView text, qsizetype from = 0)
{
    const qsizetype n = text.size();
    for (qsizetype i = from; i < n; ++i) {
        const QChar c = text[i];
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        return i;
    }
    return -1;
}

/// Whether every lone surrogate of the text is an escape, which only the
/// encoder can write (back as its byte).
inline bool onlyEscapesAreLone(QStringView text)
{
    for (qsizetype i = nextLoneSurrogate(text); i >= 0; i = nextLoneSurrogate(text, i + 1)) {
        if (!isEscape(text[i].unicode()))
            return false;
    }
    return true;
}

} // namespace TextFileFormat
