#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <bitset>
#include <map>
#include <optional>

namespace TextFileFormat {

/// The bytes outside ASCII that a sample of a file holds, and what a code
/// page makes of them: whether two pages read the sample alike, whether a
/// page reads it as text at all, how its words begin. A page of one byte a
/// character is asked once for its 128 characters outside ASCII, not for
/// the sample's; a page of several reads the whole sample.
class CodePageReading
{
public:
    explicit CodePageReading(QByteArrayView sample);

    /// Whether the sample holds the byte.
    bool holds(uchar byte) const { return held_.test(byte); }
    /// How many different bytes from 0x80 up the sample holds that the page
    /// reads as letters (every one, in a page of several bytes a character).
    int letterKinds(const QByteArray &page) const;
    /// Whether the sample holds a byte from 0x80 to 0x9F, where the ISO
    /// pages have control characters and the Windows pages letters and signs.
    bool holdsControlRange() const;

    /// Whether the page has one byte a character.
    bool isSingleByte(const QByteArray &page) const { return highCharacters(page).has_value(); }
    /// The character the page reads a byte from 0x80 up as, alone; nothing
    /// in a page of several bytes a character.
    std::optional<QChar> character(const QByteArray &page, uchar byte) const;

    /// Whether the two pages give the same text for the sample.
    bool readsAlike(const QByteArray &page, const QByteArray &other) const;
    /// Whether the page reads every byte of the sample as a character that
    /// text holds: none undefined, and no control character.
    bool readsAsText(const QByteArray &page) const;
    /// How many times a byte of the sample starts a word in the page, read
    /// as a capital before small letters, where the other page reads it as
    /// a sign: "Άλλος" in one Greek page is "’λλος" in the other.
    qsizetype wordStartsOnlyIn(const QByteArray &page, const QByteArray &other) const;
    /// Whether the page reads a byte of the sample between two letters as a
    /// sign that no word holds ("mo¿na"), as a page of another language does.
    bool readsSignInWord(const QByteArray &page) const;

private:
    /// The page's characters of the bytes 0x80 to 0xFF, worked out once.
    const std::optional<QString> &highCharacters(const QByteArray &page) const;

    QByteArrayView sample_;
    std::bitset<256> held_;
    mutable std::map<QByteArray, std::optional<QString>> pages_;
};

} // namespace TextFileFormat
