#include "codepagevariants.h"

#include "codepagereading.h"

#include <utility>

namespace TextFileFormat {

namespace {

using Sibling = std::pair<const char *, const char *>;

// An ISO page and the Windows page of its language, which uses the bytes
// 0x80 to 0x9F for more signs and letters, and moves a few letters.
constexpr Sibling WindowsSiblings[] = {
    {"ISO-8859-1", "windows-1252"}, {"ISO-8859-2", "windows-1250"}, {"ISO-8859-7", "windows-1253"},
    {"ISO-8859-8", "windows-1255"}, {"ISO-8859-9", "windows-1254"}, {"ISO-8859-13", "windows-1257"},
};

// Pages whose variant has letters (or "€") in place of signs that text
// does not use.
constexpr Sibling LetterVariants[] = {
    {"windows-1252", "ISO-8859-15"},
    {"KOI8-R", "KOI8-U"},
};

// A sign that text does not use: "¤", or a piece of a box.
bool isUnusedSign(QChar c)
{
    return c == QChar(0x00A4) || (c.unicode() >= 0x2500 && c.unicode() <= 0x259F);
}

// Whether the Windows page reads every letter of the ISO page's reading
// the same, and text where the ISO page has control characters.
bool fillsControls(const CodePageReading &file, const Sibling &sibling)
{
    if (!file.holdsControlRange() || !file.readsAsText(sibling.second))
        return false;
    for (int byte = 0xA0; byte < 0x100; ++byte) {
        const std::optional<QChar> iso = file.character(sibling.first, uchar(byte));
        if (file.holds(uchar(byte)) && iso && iso->isLetter() &&
            iso != file.character(sibling.second, uchar(byte)))
            return false;
    }
    return true;
}

// The page of the two that fits the file better, or the guess: the Windows
// page where they read the file alike (it writes more), or where it fills
// the ISO page's controls, and either where only it reads words' first
// letters as letters.
QByteArray fitterSibling(const QByteArray &guess, const Sibling &sibling,
                         const CodePageReading &file)
{
    const bool isIso = guess.compare(sibling.first, Qt::CaseInsensitive) == 0;
    if (!isIso && guess.compare(sibling.second, Qt::CaseInsensitive) != 0)
        return guess;
    const QByteArray other = isIso ? sibling.second : sibling.first;
    if (isIso && (file.readsAlike(sibling.first, sibling.second) || fillsControls(file, sibling)))
        return other;
    if (file.wordStartsOnlyIn(other, guess) > file.wordStartsOnlyIn(guess, other))
        return other;
    return guess;
}

bool givesLettersForSigns(const CodePageReading &file, const Sibling &variant)
{
    for (int byte = 0x80; byte < 0x100; ++byte) {
        if (!file.holds(uchar(byte)))
            continue;
        const std::optional<QChar> sign = file.character(variant.first, uchar(byte));
        const std::optional<QChar> letter = file.character(variant.second, uchar(byte));
        if (sign && letter && isUnusedSign(*sign) &&
            (letter->isLetter() || letter->category() == QChar::Symbol_Currency))
            return true;
    }
    return false;
}

} // namespace

QByteArray refinedCodePage(const QByteArray &page, const CodePageReading &file)
{
    QByteArray refined = page;
    for (const Sibling &sibling : WindowsSiblings) {
        refined = fitterSibling(refined, sibling, file);
        if (refined != page)
            break;
    }
    for (const Sibling &variant : LetterVariants) {
        if (refined.compare(variant.first, Qt::CaseInsensitive) == 0 &&
            givesLettersForSigns(file, variant) && file.readsAsText(variant.second))
            return variant.second;
    }
    return refined;
}

} // namespace TextFileFormat
