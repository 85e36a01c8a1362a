#include "wordcharacters.h"

#include "textmodel.h"

#include <QChar>

#include <algorithm>

namespace WordCharacters {

bool isWordCharacter(char32_t c)
{
    if (QChar::isLetterOrNumber(c) || QChar::isMark(c))
        return true;
    return QChar::category(c) == QChar::Punctuation_Connector || c == U'\u200c' || c == U'\u200d';
}

char32_t firstCodePoint(QStringView text)
{
    if (text.isEmpty())
        return 0;
    if (text.size() > 1 && text[0].isHighSurrogate() && text[1].isLowSurrogate())
        return QChar::surrogateToUcs4(text[0], text[1]);
    return text[0].unicode();
}

char32_t lastCodePoint(QStringView text)
{
    const qsizetype n = text.size();
    if (n == 0)
        return 0;
    if (n > 1 && text[n - 1].isLowSurrogate() && text[n - 2].isHighSurrogate())
        return QChar::surrogateToUcs4(text[n - 2], text[n - 1]);
    return text[n - 1].unicode();
}

namespace {

enum class Kind { Word, Blank, Other };

// A character as a reader sees it is of the kind of its first code point,
// so a letter with its accents is a letter and an accent alone a mark.
Kind kindOf(QStringView character)
{
    const char32_t c = firstCodePoint(character);
    if (isWordCharacter(c))
        return Kind::Word;
    return c == U' ' || c == U'\t' || QChar::category(c) == QChar::Separator_Space ? Kind::Blank
                                                                                   : Kind::Other;
}

struct Found
{
    qint64 from;
    qint64 to;
    bool atLeftEdge;  ///< stopped by the window's left edge, not by the text
    bool atRightEdge; ///< stopped by the window's right edge
};

// The run of characters of one kind around offset in the window of text
// that starts at position start.
Found runIn(const QString &text, qint64 start, qint64 offset)
{
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    characters.setPosition(qsizetype(offset - start));
    if (!characters.isAtBoundary())
        characters.toPreviousBoundary();
    qsizetype from = characters.position();
    qsizetype to = characters.toNextBoundary();
    const Kind kind = kindOf(QStringView(text).sliced(from, to - from));
    if (kind == Kind::Other)
        return {start + from, start + to, false, false};
    characters.setPosition(from);
    for (qsizetype before = characters.toPreviousBoundary();
         before >= 0 && kindOf(QStringView(text).sliced(before, from - before)) == kind;
         before = characters.toPreviousBoundary())
        from = before;
    characters.setPosition(to);
    for (qsizetype after = characters.toNextBoundary();
         after >= 0 && kindOf(QStringView(text).sliced(to, after - to)) == kind;
         after = characters.toNextBoundary())
        to = after;
    return {start + from, start + to, from == 0, to == text.size()};
}

} // namespace

TextBoundaries::Range wordAt(const TextModel &model, qint64 offset)
{
    const LineBounds line = model.lineBounds(model.lineAt(offset));
    for (qint64 reach = TextBoundaries::FirstReach;; reach *= 2) {
        const qint64 from = std::max(line.start, offset - reach);
        const qint64 to = std::min(line.end, offset + reach);
        const Found found = runIn(model.text(from, to), from, offset);
        const bool cut =
            (found.atLeftEdge && from > line.start) || (found.atRightEdge && to < line.end);
        if (!cut || reach >= TextBoundaries::MaxReach)
            return {found.from, found.to};
    }
}

} // namespace WordCharacters
