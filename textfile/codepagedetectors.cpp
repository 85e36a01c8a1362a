#include "codepagedetectors.h"

#include <QStringDecoder>

#include <uchardet/uchardet.h>
#include <unicode/ucnv.h>
#include <unicode/ucsdet.h>

#include <memory>

namespace TextFileFormat::CodePageDetectors {

namespace {

// Whether the page reads ASCII letters, digits and line ends as themselves,
// as every page a text file is written in does (EBCDIC's do not).
bool keepsAscii(const char *name)
{
    QStringDecoder decoder(name, QStringConverter::Flag::Stateless);
    const QByteArrayView ascii("Az09 ,.\r\n");
    return decoder.isValid() && QString(decoder.decode(ascii)) == QLatin1StringView(ascii);
}

} // namespace

QByteArray codePageNamed(const char *name)
{
    const QByteArray given(name);
    // uchardet's name for Windows' Korean page, which ICU knows by another.
    const QByteArray known = given.compare("UHC", Qt::CaseInsensitive) == 0 ? "windows-949" : given;
    if (known.isEmpty() || known.toUpper().startsWith("UTF-") || !keepsAscii(known.constData()))
        return {};
    if (known.toLower().startsWith("windows-"))
        return known.toLower();
    UErrorCode status = U_ZERO_ERROR;
    const char *converter = ucnv_getAlias(known.constData(), 0, &status);
    for (const char *standard : {"MIME", "IANA"}) {
        UErrorCode standardStatus = U_ZERO_ERROR;
        const char *standardName = U_SUCCESS(status)
                                       ? ucnv_getStandardName(converter, standard, &standardStatus)
                                       : nullptr;
        // The IANA registry's own names ("ISO_8859-2:1987") are not the ones
        // people use; its aliases of the common pages are.
        if (U_SUCCESS(standardStatus) && standardName && !QByteArray(standardName).contains(':'))
            return standardName;
    }
    return known;
}

QByteArray uchardetGuess(QByteArrayView bytes)
{
    const std::unique_ptr<uchardet, decltype(&uchardet_delete)> detector(uchardet_new(),
                                                                         uchardet_delete);
    if (!detector || uchardet_handle_data(detector.get(), bytes.data(), size_t(bytes.size())) != 0)
        return {};
    uchardet_data_end(detector.get());
    return codePageNamed(uchardet_get_charset(detector.get()));
}

QList<IcuMatch> icuMatches(QByteArrayView bytes)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UCharsetDetector, decltype(&ucsdet_close)> detector(ucsdet_open(&status),
                                                                              ucsdet_close);
    ucsdet_setText(detector.get(), bytes.data(), int32_t(bytes.size()), &status);
    int32_t count = 0;
    const UCharsetMatch **matches = ucsdet_detectAll(detector.get(), &count, &status);
    QList<IcuMatch> found;
    for (int32_t i = 0; U_SUCCESS(status) && i < count; ++i) {
        const char *name = ucsdet_getName(matches[i], &status);
        const int confidence = ucsdet_getConfidence(matches[i], &status);
        if (U_SUCCESS(status) && confidence > 0)
            found.append({name, confidence});
    }
    return found;
}

} // namespace TextFileFormat::CodePageDetectors
