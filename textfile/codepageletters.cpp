#include "codepageletters.h"

#include "codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <unicode/ulocdata.h>
#include <unicode/uset.h>

#include <algorithm>
#include <memory>

namespace TextFileFormat {

namespace {

// The letters of one of the language's exemplar sets, in both cases.
void appendExemplars(ULocaleData *data, ULocaleDataExemplarSetType type, QString &letters)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<USet, decltype(&uset_close)> set(
        ulocdata_getExemplarSet(data, nullptr, USET_ADD_CASE_MAPPINGS, type, &status), uset_close);
    for (int32_t i = 0; U_SUCCESS(status) && set && i < uset_getItemCount(set.get()); ++i) {
        UChar32 first = 0;
        UChar32 last = 0;
        UErrorCode itemStatus = U_ZERO_ERROR;
        // Items of more than one character ("ch" in Czech) come as strings.
        if (uset_getItem(set.get(), i, &first, &last, nullptr, 0, &itemStatus) != 0)
            continue;
        for (UChar32 c = std::max<UChar32>(first, 0x80); c <= last; ++c)
            letters += QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1);
    }
}

// The letters the language's own words are written with, and those its
// people write in names and borrowed words ("Ä" in Italian, "é" in
// English).
QString languageLetters(const QLocale &locale)
{
    QString letters;
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<ULocaleData, decltype(&ulocdata_close)> data(
        ulocdata_open(locale.name().toLatin1().constData(), &status), ulocdata_close);
    if (U_SUCCESS(status)) {
        appendExemplars(data.get(), ULOCDATA_ES_STANDARD, letters);
        appendExemplars(data.get(), ULOCDATA_ES_AUXILIARY, letters);
    }
    const QString currency = locale.currencySymbol();
    if (currency.size() == 1 && currency[0].unicode() >= 0x80)
        letters += currency;
    return letters;
}

// The letters that the page writes: each one that comes back from its bytes.
QString writtenLetters(const QString &letters, const QByteArray &codePage)
{
    QStringEncoder encoder(codePage.constData(), QStringConverter::Flag::Stateless);
    QStringDecoder decoder(codePage.constData(), QStringConverter::Flag::Stateless);
    QString written;
    for (qsizetype i = 0; i < letters.size(); ++i) {
        const qsizetype size = letters[i].isHighSurrogate() && i + 1 < letters.size() ? 2 : 1;
        const QStringView letter = QStringView(letters).mid(i, size);
        if (QString(decoder.decode(encoder.encode(letter))) == letter)
            written += letter;
        i += size - 1;
    }
    return written;
}

} // namespace

QString lettersOf(const QLocale &locale, const QByteArray &traditionalPage)
{
    // Worked out once a thread for the locale last asked about: the
    // letters of some languages are thousands.
    thread_local QString lastLocale;
    thread_local QByteArray lastPage;
    thread_local QString letters;
    if (lastLocale == locale.name() && lastPage == traditionalPage && !lastLocale.isEmpty())
        return letters;
    letters = languageLetters(locale);
    if (!CodePage::encode(traditionalPage, letters))
        letters = writtenLetters(letters, traditionalPage);
    lastLocale = locale.name();
    lastPage = traditionalPage;
    return letters;
}

bool writesLetters(const QByteArray &codePage, const QString &letters)
{
    return CodePage::encode(codePage, letters).has_value();
}

} // namespace TextFileFormat
