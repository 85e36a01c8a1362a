#pragma once

#include <QString>

/// A stretch of the model's characters as they are stored: one byte a
/// character when every character is below U+0100, otherwise UTF-16.
struct TextSpan
{
    const char *latin1 = nullptr;
    const char16_t *utf16 = nullptr;
    qsizetype size = 0;

    bool isWide() const { return utf16 != nullptr; }
    char16_t at(qsizetype i) const { return utf16 ? utf16[i] : char16_t(uchar(latin1[i])); }
    void appendTo(QString &out) const
    {
        if (utf16)
            out.append(QStringView(utf16, size));
        else
            out.append(QLatin1StringView(latin1, size));
    }
};
