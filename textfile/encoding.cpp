#include "encoding.h"

#include <QStringDecoder>

namespace TextFileFormat {

Encoding Encoding::system()
{
#ifdef Q_OS_WIN
    return codePage();
#else
    // Qt takes the locale's encoding to be UTF-8 on every other system.
    return utf8();
#endif
}

QByteArrayView Encoding::mark() const
{
    if (!mark_)
        return {};
    switch (form_) {
    case Form::Utf8:
        return "\xEF\xBB\xBF";
    case Form::Utf16LE:
        return QByteArrayView("\xFF\xFE", 2);
    case Form::Utf16BE:
        return QByteArrayView("\xFE\xFF", 2);
    case Form::Utf32LE:
        return QByteArrayView("\xFF\xFE\0\0", 4);
    case Form::Utf32BE:
        return QByteArrayView("\0\0\xFE\xFF", 4);
    case Form::CodePage:
        break;
    }
    return {};
}

int Encoding::unitSize() const
{
    switch (form_) {
    case Form::Utf16LE:
    case Form::Utf16BE:
        return 2;
    case Form::Utf32LE:
    case Form::Utf32BE:
        return 4;
    case Form::Utf8:
    case Form::CodePage:
        break;
    }
    return 1;
}

QByteArrayView Encoding::lineFeed() const
{
    switch (form_) {
    case Form::Utf16LE:
        return QByteArrayView("\n\0", 2);
    case Form::Utf16BE:
        return QByteArrayView("\0\n", 2);
    case Form::Utf32LE:
        return QByteArrayView("\n\0\0\0", 4);
    case Form::Utf32BE:
        return QByteArrayView("\0\0\0\n", 4);
    case Form::Utf8:
    case Form::CodePage:
        break;
    }
    return "\n";
}

QString Encoding::displayName() const
{
    switch (form_) {
    case Form::Utf8:
        return QStringLiteral("UTF-8");
    case Form::Utf16LE:
        return QStringLiteral("UTF-16 LE");
    case Form::Utf16BE:
        return QStringLiteral("UTF-16 BE");
    case Form::Utf32LE:
        return QStringLiteral("UTF-32 LE");
    case Form::Utf32BE:
        return QStringLiteral("UTF-32 BE");
    case Form::CodePage:
        break;
    }
    if (codePage_.isEmpty())
        return QString::fromLatin1(QStringConverter::nameForEncoding(QStringConverter::System));
    // "windows-1252" is known to people as "Windows-1252".
    QString name = QString::fromLatin1(codePage_);
    if (name.startsWith(u"windows-"))
        name[0] = u'W';
    return name;
}

} // namespace TextFileFormat
