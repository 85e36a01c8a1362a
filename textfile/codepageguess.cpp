#include "codepageguess.h"

#include <QStringDecoder>

#include <unicode/ucsdet.h>

#include <algorithm>
#include <memory>

namespace TextFileFormat {

namespace {

// How much surer than the fallback the detector must be to overrule it.
constexpr int OverruleMargin = 25;

// The detector reports the ISO name of a page whose Windows sibling writes
// the same letters and more; files of those languages come from Windows.
QByteArray windowsSibling(const QByteArray &name)
{
    if (name == "ISO-8859-1")
        return "windows-1252";
    return name;
}

bool isCodePage(const QByteArray &name)
{
    return !name.startsWith("UTF-") && QStringDecoder(name.constData()).isValid();
}

// The code page Windows uses for a language, where it is not Windows-1252.
struct LanguagePage
{
    QLocale::Language language;
    const char *page;
};

constexpr LanguagePage LanguagePages[] = {
    {QLocale::Polish, "windows-1250"},     {QLocale::Czech, "windows-1250"},
    {QLocale::Slovak, "windows-1250"},     {QLocale::Hungarian, "windows-1250"},
    {QLocale::Slovenian, "windows-1250"},  {QLocale::Croatian, "windows-1250"},
    {QLocale::Bosnian, "windows-1250"},    {QLocale::Romanian, "windows-1250"},
    {QLocale::Albanian, "windows-1250"},   {QLocale::Russian, "windows-1251"},
    {QLocale::Ukrainian, "windows-1251"},  {QLocale::Belarusian, "windows-1251"},
    {QLocale::Bulgarian, "windows-1251"},  {QLocale::Macedonian, "windows-1251"},
    {QLocale::Kazakh, "windows-1251"},     {QLocale::Greek, "windows-1253"},
    {QLocale::Turkish, "windows-1254"},    {QLocale::Azerbaijani, "windows-1254"},
    {QLocale::Hebrew, "windows-1255"},     {QLocale::Arabic, "windows-1256"},
    {QLocale::Persian, "windows-1256"},    {QLocale::Urdu, "windows-1256"},
    {QLocale::Estonian, "windows-1257"},   {QLocale::Latvian, "windows-1257"},
    {QLocale::Lithuanian, "windows-1257"}, {QLocale::Vietnamese, "windows-1258"},
    {QLocale::Thai, "windows-874"},        {QLocale::Japanese, "Shift_JIS"},
    {QLocale::Korean, "EUC-KR"},
};

} // namespace

QByteArray traditionalCodePage(const QLocale &locale)
{
    // Two languages are written in two scripts, each with its own page.
    if (locale.language() == QLocale::Serbian)
        return locale.script() == QLocale::LatinScript ? "windows-1250" : "windows-1251";
    if (locale.language() == QLocale::Chinese)
        return locale.script() == QLocale::TraditionalChineseScript ? "Big5" : "GBK";
    for (const LanguagePage &entry : LanguagePages)
        if (entry.language == locale.language())
            return entry.page;
    return "windows-1252";
}

namespace {

// The detector's letter statistics cost about 0.15 ms a KiB (it would read
// up to 8000 bytes): it reads this much of the text, from the start of the
// line of the first byte outside ASCII, where the code page shows.
constexpr qsizetype GuessSample = 4 << 10;

QByteArrayView guessSample(QByteArrayView bytes)
{
    const qsizetype firstHigh =
        std::find_if(bytes.begin(), bytes.end(), [](char b) { return uchar(b) >= 0x80; }) -
        bytes.begin();
    // The ASCII lines before it tell nothing, and their letters would weigh
    // for the Latin pages.
    const qsizetype from = bytes.first(firstHigh).lastIndexOf('\n') + 1;
    return bytes.sliced(from, std::min(GuessSample, bytes.size() - from));
}

} // namespace

QByteArray guessCodePage(QByteArrayView whole, const QLocale &locale)
{
    const QByteArray fallback = traditionalCodePage(locale);
    const QByteArrayView bytes = guessSample(whole);
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)> detector(ucsdet_open(&status),
                                                                              ucsdet_close);
    ucsdet_setText(detector.get(), bytes.data(), int32_t(bytes.size()), &status);
    int32_t count = 0;
    const UCharsetMatch **matches = ucsdet_detectAll(detector.get(), &count, &status);
    if (U_FAILURE(status))
        return fallback;
    QByteArray best;
    int bestConfidence = 0;
    int fallbackConfidence = 0;
    // The matches come surest first. Opening a converter to check a name
    // costs more than the detection, so only the first usable one is checked.
    for (int32_t i = 0; i < count; ++i) {
        const QByteArray name = windowsSibling(ucsdet_getName(matches[i], &status));
        const int confidence = ucsdet_getConfidence(matches[i], &status);
        if (U_FAILURE(status))
            break;
        if (name == fallback)
            fallbackConfidence = std::max(fallbackConfidence, confidence);
        if (best.isEmpty() && confidence > 0 && (name == fallback || isCodePage(name))) {
            best = name;
            bestConfidence = confidence;
        }
        if (!best.isEmpty() && fallbackConfidence > 0)
            break;
    }
    if (best.isEmpty() || bestConfidence < fallbackConfidence + OverruleMargin)
        return fallback;
    return best;
}

} // namespace TextFileFormat
