#include "wordcharacters.h"

#include <QChar>

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

Kind kindOf(char32_t first)
{
    if (isWordCharacter(first))
        return Kind::Word;
    return first == U' ' || first == U'\t' || QChar::category(first) == QChar::Separator_Space
               ? Kind::Blank
               : Kind::Other;
}

} // namespace WordCharacters
