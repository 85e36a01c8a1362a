#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace TextFileFormat {

/// How the bytes of a file map to characters: UTF-8, UTF-16 or UTF-32 in
/// either byte order, or a code page that Qt's converters know by name; with
/// or without the byte-order mark that the file began with.
class Encoding
{
public:
    enum class Form {
        Utf8,
        Utf16LE,
        Utf16BE,
        Utf32LE,
        Utf32BE,
        /// A code page by its name; with no name, the system's own.
        CodePage,
    };

    /// UTF-8 without a mark.
    Encoding() = default;
    static Encoding utf8(bool mark = false) { return Encoding(Form::Utf8, {}, mark); }
    static Encoding unicode(Form form, bool mark) { return Encoding(form, {}, mark); }
    /// A code page by the name Qt's converters know it by ("windows-1252");
    /// an empty name is the system's code page.
    static Encoding codePage(const QByteArray &name = {}) { return Encoding(Form::CodePage, name, false); }
    /// What files are written in on this system: the ANSI code page on
    /// Windows, UTF-8 elsewhere.
    static Encoding system();

    Form form() const { return form_; }
    bool isUnicode() const { return form_ != Form::CodePage; }
    /// The code page's name, as Qt's converters take it; empty for the
    /// system's, and for the Unicode forms.
    const QByteArray &codePageName() const { return codePage_; }
    bool hasMark() const { return mark_; }
    /// The same encoding, with or without its mark.
    Encoding withMark(bool mark) const { return Encoding(form_, codePage_, mark && isUnicode()); }
    /// The byte-order mark written before the text, or nothing.
    QByteArrayView mark() const;
    /// Bytes in one code unit: 1, 2 or 4.
    int unitSize() const;
    /// The bytes of an LF in this encoding (a code page's is 0A).
    QByteArrayView lineFeed() const;
    /// The name a person knows it by: "UTF-8", "UTF-16 LE", "Windows-1252".
    QString displayName() const;

    /// Whether the two write characters the same way, marks aside.
    bool writesLike(const Encoding &other) const
    {
        return form_ == other.form_ && codePage_ == other.codePage_;
    }

    bool operator==(const Encoding &other) const
    {
        return form_ == other.form_ && codePage_ == other.codePage_ && mark_ == other.mark_;
    }
    bool operator!=(const Encoding &other) const { return !(*this == other); }

private:
    Encoding(Form form, const QByteArray &codePage, bool mark)
        : form_(form), codePage_(codePage), mark_(mark)
    {
    }

    Form form_ = Form::Utf8;
    QByteArray codePage_;
    bool mark_ = false;
};

} // namespace TextFileFormat
