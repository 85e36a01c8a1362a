#include "displaytext.h"

#include <QChar>

#include <algorithm>

namespace {

// The names of the control characters below U+0020.
constexpr const char *ControlNames[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                        "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                        "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                        "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};

// Most text has none of the characters drawn otherwise: a quick look first.
bool mayNeedAnotherForm(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0xAD) || c >= 0x2000 || (c >= 0x600 && c <= 0x61C) ||
           c == 0x180E;
}

bool drawnInABox(char32_t c)
{
    if (c == u'\t')
        return false;
    if (QChar::isSurrogate(c) || QChar::isNonCharacter(c))
        return true;
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    case QChar::Other_Format:
        // Joiners shape the letters around them and belong to the text.
        return c != 0x200C && c != 0x200D;
    default:
        return false;
    }
}

QString boxedForm(char32_t c)
{
    if (c < 0x20)
        return QString::fromLatin1(ControlNames[c]);
    if (c == 0x7F)
        return QStringLiteral("DEL");
    // The escape of an undecodable byte shows the byte itself.
    if (c >= 0xDC80 && c <= 0xDCFF)
        return QString::number(c - 0xDC00, 16).toUpper();
    return QString::number(c, 16).toUpper().rightJustified(4, u'0');
}

} // namespace

DisplayText::DisplayText(QStringView text)
{
    if (std::none_of(text.begin(), text.end(),
                     [](QChar c) { return mayNeedAnotherForm(c.unicode()); })) {
        text_ = text.toString();
        return;
    }
    text_.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        const bool pair =
            c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t code = pair ? QChar::surrogateToUcs4(c, text[i + 1]) : c.unicode();
        const int columns = pair ? 2 : 1;
        if (!mayNeedAnotherForm(c.unicode()) || !drawnInABox(code)) {
            text_.append(text.sliced(i, columns));
        } else {
            const QString form = boxedForm(code);
            items_.append({int(i), columns, int(text_.size()), int(form.size())});
            text_.append(form);
        }
        i += columns;
    }
}

int DisplayText::toDisplay(int column) const
{
    // The last item that starts before the column decides the shift.
    const auto after = std::upper_bound(items_.begin(), items_.end(), column,
                                        [](int c, const Item &item) { return c <= item.column; });
    if (after == items_.begin())
        return column;
    const Item &item = *(after - 1);
    if (column < item.column + item.columns)
        return item.display + (column > item.column ? item.length : 0);
    return column - (item.column + item.columns) + item.display + item.length;
}

int DisplayText::toColumn(int display) const
{
    const auto after = std::upper_bound(items_.begin(), items_.end(), display,
                                        [](int d, const Item &item) { return d <= item.display; });
    if (after == items_.begin())
        return display;
    const Item &item = *(after - 1);
    if (display < item.display + item.length) {
        const bool nearerEnd = display - item.display > item.length / 2;
        return item.column + (nearerEnd ? item.columns : 0);
    }
    return display - (item.display + item.length) + item.column + item.columns;
}
