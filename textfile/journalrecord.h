#pragma once

#include "journalorigin.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

/// One record of a document's journal, and how it is written in the
/// journal's file.
///
/// A record is its length (4 bytes), its kind (1 byte), its fields, and a
/// checksum of all of them (8 bytes), little-endian throughout, so that a
/// reader finds where each record ends and knows a record cut short by a
/// power cut, or damaged, from a whole one. Text is kept one byte a
/// character when every character is below U+0100, as UTF-16 LE otherwise,
/// unit for unit, so that lone surrogates and the escapes of undecodable
/// bytes come back as they were.
struct JournalRecord
{
    enum class Kind : quint8 {
        /// Where the document came from (JournalOrigin): the first record.
        Origin = 1,
        /// The file's identity, once a load that was still running has
        /// ended.
        Identity = 2,
        /// A piece of the text as it was before the first edit.
        Base = 3,
        /// Text inserted at a position.
        Insert = 4,
        /// count characters removed from a position.
        Remove = 5,
        /// What the next Save writes changed: the encoding or the line ends.
        Format = 6,
    };

    /// The bytes at the very start of a journal's file.
    static QByteArrayView magic();
    /// The most text bytes a record holds: larger texts take several.
    static constexpr qint64 MaxTextBytes = 1 << 20;
    /// Longer records are taken for damage.
    static constexpr qint64 MaxLength = MaxTextBytes + 4096;

    Kind kind = Kind::Insert;
    qint64 position = 0;
    qint64 count = 0;
    /// Base and Insert: the characters, one byte each or UTF-16 LE.
    QByteArray text;
    bool wide = false;
    JournalOrigin origin;
    JournalIdentity identity;
    TextFileFormat::FileFormat format;

    /// How many characters text holds.
    qint64 textLength() const { return wide ? text.size() / 2 : text.size(); }
    QString textString() const;
    /// Sets text to the characters of s, one byte each when they allow.
    void setText(QStringView s);
    void setLatin1(QByteArrayView latin1);

    /// Adds the record, framed and checked, to out.
    void writeTo(QByteArray &out) const;

    /// What reading a record from the start of some bytes found.
    enum class Read { Whole, Cut, Damaged };
    /// Reads the record at the start of bytes into record; length is what
    /// it took. Cut when the bytes end inside it, Damaged when its length,
    /// checksum or fields are not those of a record.
    static Read read(QByteArrayView bytes, JournalRecord &record, qint64 &length);
    /// The length of the record at the start of bytes, from its first four
    /// bytes, or nothing when there are fewer or it cannot be a record's.
    static std::optional<qint64> lengthAt(QByteArrayView bytes);
};
