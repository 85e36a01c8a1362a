#include "codepageguess.h"

#include "codepagedetectors.h"
#include "codepageletters.h"
#include "codepagereading.h"
#include "codepagevariants.h"

#include <algorithm>
#include <optional>

namespace TextFileFormat {

namespace {

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

// The detectors read this much of the text, from the start of the line of
// the first byte outside ASCII, where the code page shows: the ASCII lines
// before it tell nothing, and their letters would weigh for the Latin
// pages. Each takes about 0.15 ms a KiB of Cyrillic; texts of 2 KB to
// 32 KB are read as right as with twice as much.
constexpr qsizetype GuessSample = 2 << 10;

QByteArrayView guessSample(QByteArrayView bytes)
{
    const qsizetype firstHigh =
        std::find_if(bytes.begin(), bytes.end(), [](char b) { return uchar(b) >= 0x80; }) -
        bytes.begin();
    const qsizetype from = bytes.first(firstHigh).lastIndexOf('\n') + 1;
    return bytes.sliced(from, std::min(GuessSample, bytes.size() - from));
}

// The rule, measured on the translations a Debian system carries (one-line
// messages and texts of 150 bytes to 60 KB, in 21 pages of 19 languages):
//
// - uchardet names the page (ICU's surest page where it names none); the
//   page of its family that fits the bytes is taken (codepagevariants.h),
//   and so is the fallback's, where it stays.
// - A page of several bytes a character is taken when the sample is made
//   of its characters throughout: lead and trail bytes in turn, which text
//   in a page of one byte a character does not give.
// - The traditional page of the user's language stays whenever it reads
//   the bytes as the guess does, and whenever ICU finds the user's kind of
//   text in its reading: ICU gives 40 or more to nearly all Western text
//   read in Windows-1252, 20 to 35 to other languages read in it.
// - A page that writes the user's letters and "€" (Windows-1254 for an
//   Italian) overrules it on the detector's word: ICU below OrdinaryDoubt.
// - A page that lacks some (Windows-1250 lacks "à", ISO-8859-9 "€") needs
//   far more: ICU below StrongDoubt, and the sample holding StrongKinds
//   different bytes that the guess reads as letters, or a sign between two
//   letters in the fallback's reading ("mo¿na"), or bytes the fallback has
//   no character for and the guess has. uchardet names a Central European
//   page for a third of the Italian one-line messages and for one Italian
//   text of 2 KB in ten; of 8,700 Italian messages, two (names in another
//   language) are read otherwise. Short Polish, Czech or Baltic lines with
//   one or two letters of their own stay in the user's page: they read as
//   well in it.
constexpr int OrdinaryDoubt = 50;
constexpr int StrongDoubt = 45;
constexpr int StrongKinds = 3;

class CodePageGuess
{
public:
    CodePageGuess(QByteArrayView head, const QLocale &locale)
        : locale_(locale), fallback_(traditionalCodePage(locale)), file_(head),
          sampleBytes_(guessSample(head)), sample_(sampleBytes_)
    {
    }

    QByteArray codePage()
    {
        const QByteArray guess = refinedCodePage(detectorsGuess(), file_);
        return refinedCodePage(overrulesFallback(guess) ? guess : fallback_, file_);
    }

private:
    bool overrulesFallback(const QByteArray &guess)
    {
        if (guess.isEmpty() || file_.readsAlike(guess, fallback_))
            return false;
        if (!sample_.isSingleByte(guess) && sample_.readsAsText(guess))
            return true;
        const int fallbackConfidence = icuConfidenceInFallback();
        if (writesLetters(guess, lettersOf(locale_, fallback_)))
            return fallbackConfidence < OrdinaryDoubt;
        const bool strongCase = sample_.letterKinds(guess) >= StrongKinds ||
                                sample_.readsSignInWord(fallback_) ||
                                (!file_.readsAsText(fallback_) && file_.readsAsText(guess));
        return fallbackConfidence < StrongDoubt && strongCase;
    }

    QByteArray detectorsGuess()
    {
        const QByteArray named = CodePageDetectors::uchardetGuess(sampleBytes_);
        if (!named.isEmpty())
            return named;
        for (const CodePageDetectors::IcuMatch &match : icuMatches()) {
            const QByteArray page = CodePageDetectors::codePageNamed(match.charset.constData());
            if (!page.isEmpty())
                return page;
        }
        return {};
    }

    // How much ICU finds a language in the fallback's reading of the sample.
    int icuConfidenceInFallback()
    {
        int confidence = 0;
        for (const CodePageDetectors::IcuMatch &match : icuMatches()) {
            if (match.confidence > confidence && sample_.readsAlike(match.charset, fallback_))
                confidence = match.confidence;
        }
        return confidence;
    }

    const QList<CodePageDetectors::IcuMatch> &icuMatches()
    {
        if (!icuMatches_)
            icuMatches_ = CodePageDetectors::icuMatches(sampleBytes_);
        return *icuMatches_;
    }

    const QLocale &locale_;
    const QByteArray fallback_;
    const CodePageReading file_;
    const QByteArrayView sampleBytes_;
    const CodePageReading sample_;
    std::optional<QList<CodePageDetectors::IcuMatch>> icuMatches_;
};

} // namespace

QByteArray guessCodePage(QByteArrayView head, const QLocale &locale)
{
    return CodePageGuess(head, locale).codePage();
}

} // namespace TextFileFormat
