#pragma once

#include <QList>
#include <QString>
#include <QStringView>

/// The text a line (or a piece of one) is drawn with.
///
/// Every character is drawn, and drawn as one character in a box when it
/// has no visible form of its own: a control character as its name (NUL,
/// BEL, ESC, DEL), the escape of an undecodable byte as that byte in
/// hexadecimal, and a character that would otherwise take no room or change
/// the layout unseen (U+2028, U+2029, byte-order mark, direction marks and
/// embeddings, noncharacters, lone surrogates) as its code. Direction
/// controls thus no longer reorder the text around them, so what is drawn
/// is what is stored.
class DisplayText
{
public:
    /// A character drawn as a name or code in a box.
    struct Item
    {
        int column = 0;  ///< where it stands in the line's text
        int columns = 1; ///< its UTF-16 units there (2 for a surrogate pair)
        int display = 0; ///< where its form stands in the displayed text
        int length = 1;  ///< the units of its form
    };

    /// text must hold no line break.
    explicit DisplayText(QStringView text);

    const QString &text() const { return text_; }
    const QList<Item> &items() const { return items_; }

    /// Where a column of the line's text stands in the displayed text.
    int toDisplay(int column) const;
    /// The column of a place in the displayed text; a place inside a boxed
    /// code goes to the nearer side of its character.
    int toColumn(int display) const;

private:
    QString text_;
    QList<Item> items_;
};
