#include "encodingchoices.h"

#include "codepageguess.h"

namespace TextFileFormat {

namespace {

using Form = Encoding::Form;

// The code pages offered, by the name Qt's converters know, each with the
// script it writes; the pages of one script stand together.
struct CodePageEntry
{
    const char *name;
    const char *script;
};

constexpr CodePageEntry CodePages[] = {
    {"windows-1252", "europeo occidentale"},
    {"ISO-8859-15", "europeo occidentale"},
    {"ISO-8859-1", "europeo occidentale"},
    {"IBM850", "DOS europeo occidentale"},
    {"macintosh", "Mac europeo occidentale"},
    {"windows-1250", "europeo centrale"},
    {"ISO-8859-2", "europeo centrale"},
    {"windows-1251", "cirillico"},
    {"KOI8-R", "cirillico"},
    {"KOI8-U", "cirillico"},
    {"ISO-8859-5", "cirillico"},
    {"IBM866", "cirillico"},
    {"windows-1253", "greco"},
    {"ISO-8859-7", "greco"},
    {"windows-1254", "turco"},
    {"ISO-8859-9", "turco"},
    {"windows-1257", "baltico"},
    {"ISO-8859-13", "baltico"},
    {"ISO-8859-4", "baltico"},
    {"windows-1255", "ebraico"},
    {"ISO-8859-8", "ebraico"},
    {"windows-1256", "arabo"},
    {"ISO-8859-6", "arabo"},
    {"windows-1258", "vietnamita"},
    {"windows-874", "thailandese"},
    {"Shift_JIS", "giapponese"},
    {"EUC-JP", "giapponese"},
    {"ISO-2022-JP", "giapponese"},
    {"GBK", "cinese semplificato"},
    {"GB18030", "cinese semplificato"},
    {"Big5", "cinese tradizionale"},
    {"EUC-KR", "coreano"},
};

QString scriptOf(const QByteArray &codePage)
{
    for (const CodePageEntry &entry : CodePages)
        if (codePage == entry.name)
            return QString::fromUtf8(entry.script);
    return {};
}

EncodingChoice unicode(Form form, bool mark)
{
    const Encoding encoding = Encoding::unicode(form, mark);
    return {encoding, shownName(encoding)};
}

// A file is read with its mark only when it begins with one: reading asks
// for it, whatever the file holds.
EncodingChoice toRead(Form form)
{
    const Encoding encoding = Encoding::unicode(form, true);
    return {encoding, encoding.displayName()};
}

QString formatWords(const FileFormat &format, const QString &between)
{
    return shownName(format.encoding) + between +
           (format.lineBreak == LineBreak::Lf ? QStringLiteral("LF") : QStringLiteral("CR LF"));
}

} // namespace

EncodingChoices::EncodingChoices(const QLocale &locale)
    : traditional_(traditionalCodePage(locale)), traditionalScript_(scriptOf(traditional_))
{
}

// The traditional page first, then the others of its script.
QList<EncodingChoice> EncodingChoices::codePages(bool common) const
{
    QList<EncodingChoice> pages;
    for (const CodePageEntry &entry : CodePages) {
        const QByteArray name(entry.name);
        const QString script = QString::fromUtf8(entry.script);
        const bool isCommon = name == traditional_ || script == traditionalScript_;
        if (isCommon != common)
            continue;
        const Encoding encoding = Encoding::codePage(name);
        EncodingChoice choice{encoding,
                              QStringLiteral("%1 (%2)").arg(encoding.displayName(), script)};
        if (name == traditional_)
            pages.prepend(choice);
        else
            pages.append(choice);
    }
    return pages;
}

QList<EncodingChoice> EncodingChoices::commonToRead() const
{
    return QList<EncodingChoice>{toRead(Form::Utf8), toRead(Form::Utf16LE), toRead(Form::Utf16BE)} +
           codePages(true);
}

QList<EncodingChoice> EncodingChoices::othersToRead() const
{
    return codePages(false) + QList<EncodingChoice>{toRead(Form::Utf32LE), toRead(Form::Utf32BE)};
}

// UTF-8 goes without a mark, as Linux programs expect; UTF-16 with one, as
// Windows programs do.
QList<EncodingChoice> EncodingChoices::commonToWrite() const
{
    return QList<EncodingChoice>{unicode(Form::Utf8, false), unicode(Form::Utf8, true),
                                 unicode(Form::Utf16LE, true), unicode(Form::Utf16BE, true)} +
           codePages(true);
}

QList<EncodingChoice> EncodingChoices::othersToWrite() const
{
    return codePages(false) +
           QList<EncodingChoice>{unicode(Form::Utf16LE, false), unicode(Form::Utf16BE, false),
                                 unicode(Form::Utf32LE, true),  unicode(Form::Utf32BE, true),
                                 unicode(Form::Utf32LE, false), unicode(Form::Utf32BE, false)};
}

QString shownName(const Encoding &encoding)
{
    const QString name = encoding.displayName();
    if (encoding.form() == Form::Utf8)
        return encoding.hasMark() ? name + QStringLiteral(" con BOM") : name;
    if (encoding.isUnicode() && !encoding.hasMark())
        return name + QStringLiteral(" senza BOM");
    return name;
}

QString shownFormat(const FileFormat &format)
{
    return formatWords(format, QStringLiteral(" \u00B7 "));
}

// A screen reader names a middle dot aloud; a comma is only a pause.
QString spokenFormat(const FileFormat &format)
{
    return formatWords(format, QStringLiteral(", "));
}

} // namespace TextFileFormat
