#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

/// Characters an edit put into a document, as the window hands them to the
/// journal's thread: a string shared with whoever made the edit, which
/// costs a reference however long it is, or characters copied out of the
/// document as it stores them, one byte a character where they allow.
class JournalText
{
public:
    JournalText() = default;
    /// The characters of a string, shared with it.
    explicit JournalText(const QString &shared);

    void appendLatin1(const char *latin1, qsizetype size);
    void appendUtf16(const char16_t *utf16, qsizetype size);

    qint64 length() const { return length_; }
    bool isEmpty() const { return length_ == 0; }

    /// Calls take for the characters in order, in pieces of at most most
    /// characters, each given one byte a character (latin1) or as UTF-16.
    using Take = std::function<void(QByteArrayView latin1, QStringView utf16)>;
    void forEachPiece(qint64 most, const Take &take) const;

private:
    struct Piece
    {
        QString utf16;
        QByteArray latin1;
        bool wide = false;
    };
    std::vector<Piece> pieces_;
    qint64 length_ = 0;
};
