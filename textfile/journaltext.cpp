#include "journaltext.h"

#include <algorithm>

JournalText::JournalText(const QString &shared) : length_(shared.size())
{
    if (!shared.isEmpty())
        pieces_.push_back({shared, {}, true});
}

void JournalText::appendLatin1(const char *latin1, qsizetype size)
{
    if (size == 0)
        return;
    if (pieces_.empty() || pieces_.back().wide)
        pieces_.push_back({});
    pieces_.back().latin1.append(latin1, size);
    length_ += size;
}

void JournalText::appendUtf16(const char16_t *utf16, qsizetype size)
{
    if (size == 0)
        return;
    if (pieces_.empty() || !pieces_.back().wide)
        pieces_.push_back({{}, {}, true});
    pieces_.back().utf16.append(QStringView(utf16, size));
    length_ += size;
}

void JournalText::forEachPiece(qint64 most, const Take &take) const
{
    most = std::max<qint64>(most, 2);
    for (const Piece &piece : pieces_) {
        const qint64 size = piece.wide ? piece.utf16.size() : piece.latin1.size();
        for (qint64 at = 0; at < size;) {
            qint64 count = std::min(most, size - at);
            if (piece.wide) {
                // A surrogate pair stays in one piece.
                if (at + count < size && piece.utf16[at + count - 1].isHighSurrogate())
                    --count;
                take({}, QStringView(piece.utf16).sliced(at, count));
            } else {
                take(QByteArrayView(piece.latin1).sliced(at, count), {});
            }
            at += count;
        }
    }
}
