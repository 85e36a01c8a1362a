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

} // namespace

QByteArray traditionalCodePage(const QLocale &locale)
{
    switch (locale.language()) {
    case QLocale::Polish:
    case QLocale::Czech:
    case QLocale::Slovak:
    case QLocale::Hungarian:
    case QLocale::Slovenian:
    case QLocale::Croatian:
    case QLocale::Bosnian:
    case QLocale::Romanian:
    case QLocale::Albanian:
        return "windows-1250";
    case QLocale::Russian:
    case QLocale::Ukrainian:
    case QLocale::Belarusian:
    case QLocale::Bulgarian:
    case QLocale::Macedonian:
    case QLocale::Kazakh:
        return "windows-1251";
    case QLocale::Serbian:
        return locale.script() == QLocale::LatinScript ? "windows-1250" : "windows-1251";
    case QLocale::Greek:
        return "windows-1253";
    case QLocale::Turkish:
    case QLocale::Azerbaijani:
        return "windows-1254";
    case QLocale::Hebrew:
        return "windows-1255";
    case QLocale::Arabic:
    case QLocale::Persian:
    case QLocale::Urdu:
        return "windows-1256";
    case QLocale::Estonian:
    case QLocale::Latvian:
    case QLocale::Lithuanian:
        return "windows-1257";
    case QLocale::Vietnamese:
        return "windows-1258";
    case QLocale::Thai:
        return "windows-874";
    case QLocale::Japanese:
        return "Shift_JIS";
    case QLocale::Korean:
        return "EUC-KR";
    case QLocale::Chinese:
        return locale.script() == QLocale::TraditionalChineseScript ? "Big5" : "GBK";
    default:
        return "windows-1252";
    }
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
