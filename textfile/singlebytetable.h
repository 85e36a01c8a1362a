#pragma once

#include <QByteArray>

#include <array>
#include <optional>
#include <unordered_map>

namespace TextFileFormat {

/// A code page of one byte a character whose first 128 bytes are ASCII,
/// read through a table: the table is made once per use from what Qt's
/// converter gives for each byte, so nothing of the code page is written
/// here. A byte the converter cannot decode, or that does not come back as
/// itself, is kept as an escape.
class SingleByteTable
{
public:
    /// The table of the named code page, or nothing when the code page is
    /// not one byte a character over ASCII.
    static std::optional<SingleByteTable> of(const QByteArray &codePage);

    /// The character of a byte from 0x80 up.
    char16_t character(uchar byte) const { return high_[byte - 0x80]; }
    /// The byte that writes c from U+0080 up, or nothing.
    std::optional<uchar> byteOf(char16_t c) const;

private:
    std::array<char16_t, 128> high_{};
    std::unordered_map<char16_t, uchar> bytes_;
};

} // namespace TextFileFormat
