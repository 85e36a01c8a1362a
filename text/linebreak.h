#pragma once

#include <QStringView>

/// Where a line of the text ends: at a CR LF pair (one break), a lone CR or a
/// lone LF, and nowhere else. Nothing may stand between the CR and the LF of
/// a pair, so no edit, chunk edge, caret or match ever falls there.
namespace LineBreaks {

/// Whether the place between the characters before and after lies inside a
/// CR LF pair.
constexpr bool splitsPair(char32_t before, char32_t after)
{
    return before == U'\r' && after == U'\n';
}

/// The end of the break that starts at s[i], a CR or an LF of s[0..n).
template <typename Unit> constexpr qsizetype breakEnd(const Unit *s, qsizetype i, qsizetype n)
{
    return i + 1 < n && splitsPair(char32_t(s[i]), char32_t(s[i + 1])) ? i + 2 : i + 1;
}

} // namespace LineBreaks

/// What ends a line that the document itself breaks: Enter, and the end
/// added after a file's unterminated last line.
///
/// A file whose line breaks are all lone LF (a Unix text file) keeps LF;
/// every other file, and every new document, has CR LF.
enum class LineBreak {
    CrLf,
    Lf,
};

inline QStringView lineBreakText(LineBreak lineBreak)
{
    return lineBreak == LineBreak::Lf ? QStringView(u"\n") : QStringView(u"\r\n");
}
