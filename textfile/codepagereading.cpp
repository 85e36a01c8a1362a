#include "codepagereading.h"

#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace TextFileFormat {

namespace {

// The converters read a byte that a page has no character for as U+FFFD
// (or as the control SUB).
QString decoded(const QByteArray &page, QByteArrayView bytes)
{
    QStringDecoder decoder(page.constData(), QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

// The characters of the bytes 0x80 to 0xFF in a page of one byte a
// character. A page of several bytes a character reads some of them in
// pairs: read backwards, those give other characters, and it has none.
std::optional<QString> highCharactersOf(const QByteArray &page)
{
    QByteArray high;
    for (int byte = 0x80; byte < 0x100; ++byte)
        high += char(byte);
    const QString forwards = decoded(page, high);
    std::reverse(high.begin(), high.end());
    QString backwards = decoded(page, high);
    std::reverse(backwards.begin(), backwards.end());
    if (forwards.size() != 128 || forwards != backwards)
        return std::nullopt;
    return forwards;
}

// Whether text holds the character: not a byte's replacement, a control,
// a private or unassigned one.
bool isText(QChar c)
{
    const QChar::Category category = c.category();
    return c != QChar::ReplacementCharacter && category != QChar::Other_Control &&
           category != QChar::Other_PrivateUse && category != QChar::Other_Surrogate &&
           category != QChar::Other_NotAssigned;
}

// The character of a byte: itself below 0x80, else the page's.
QChar characterIn(const QString &high, char b)
{
    return uchar(b) < 0x80 ? QChar(uchar(b)) : high[uchar(b) - 0x80];
}

// Marks that a word may hold between its letters: apostrophes, the
// middle dot, a soft hyphen and the ordinal indicators.
bool fitsInWord(QChar c)
{
    return c.isLetter() || c.isMark() ||
           QStringView(u"\u2019\u2018\u00b4\u00b7\u00ad\u00aa\u00ba").contains(c);
}

} // namespace

CodePageReading::CodePageReading(QByteArrayView sample) : sample_(sample)
{
    for (const char b : sample)
        held_.set(uchar(b));
    for (int byte = 0; byte < 0x80; ++byte)
        held_.reset(size_t(byte));
}

int CodePageReading::letterKinds(const QByteArray &page) const
{
    const std::optional<QString> &high = highCharacters(page);
    if (!high)
        return int(held_.count());
    int kinds = 0;
    for (int byte = 0x80; byte < 0x100; ++byte)
        kinds += held_.test(size_t(byte)) && (*high)[byte - 0x80].isLetter();
    return kinds;
}

bool CodePageReading::holdsControlRange() const
{
    for (int byte = 0x80; byte < 0xA0; ++byte) {
        if (held_.test(size_t(byte)))
            return true;
    }
    return false;
}

const std::optional<QString> &CodePageReading::highCharacters(const QByteArray &page) const
{
    auto found = pages_.find(page);
    if (found == pages_.end())
        found = pages_.emplace(page, highCharactersOf(page)).first;
    return found->second;
}

std::optional<QChar> CodePageReading::character(const QByteArray &page, uchar byte) const
{
    const std::optional<QString> &high = highCharacters(page);
    if (!high || byte < 0x80)
        return std::nullopt;
    return (*high)[byte - 0x80];
}

bool CodePageReading::readsAlike(const QByteArray &page, const QByteArray &other) const
{
    if (page.compare(other, Qt::CaseInsensitive) == 0)
        return true;
    const std::optional<QString> &ours = highCharacters(page);
    const std::optional<QString> &theirs = highCharacters(other);
    // A page of several bytes a character reads pairs of bytes that one of
    // one byte reads as two characters.
    if (ours.has_value() != theirs.has_value())
        return held_.none();
    if (!ours)
        return decoded(page, sample_) == decoded(other, sample_);
    for (int byte = 0x80; byte < 0x100; ++byte) {
        if (held_.test(size_t(byte)) && (*ours)[byte - 0x80] != (*theirs)[byte - 0x80])
            return false;
    }
    return true;
}

bool CodePageReading::readsAsText(const QByteArray &page) const
{
    const std::optional<QString> &high = highCharacters(page);
    if (!high) {
        const QString text = decoded(page, sample_);
        return std::all_of(text.begin(), text.end(),
                           [](QChar c) { return c.unicode() < 0x80 || isText(c); });
    }
    for (int byte = 0x80; byte < 0x100; ++byte) {
        if (held_.test(size_t(byte)) && !isText((*high)[byte - 0x80]))
            return false;
    }
    return true;
}

qsizetype CodePageReading::wordStartsOnlyIn(const QByteArray &page, const QByteArray &other) const
{
    const std::optional<QString> &ours = highCharacters(page);
    const std::optional<QString> &theirs = highCharacters(other);
    if (!ours || !theirs)
        return 0;
    qsizetype starts = 0;
    for (qsizetype i = 0; i + 1 < sample_.size(); ++i) {
        const uchar b = uchar(sample_[i]);
        if (b < 0x80 || !(*ours)[b - 0x80].isUpper() || (*theirs)[b - 0x80].isLetter())
            continue;
        if ((i == 0 || !characterIn(*ours, sample_[i - 1]).isLetter()) &&
            characterIn(*ours, sample_[i + 1]).isLower())
            ++starts;
    }
    return starts;
}

bool CodePageReading::readsSignInWord(const QByteArray &page) const
{
    const std::optional<QString> &high = highCharacters(page);
    if (!high)
        return false;
    for (qsizetype i = 1; i + 1 < sample_.size(); ++i) {
        if (uchar(sample_[i]) < 0x80 || fitsInWord(characterIn(*high, sample_[i])))
            continue;
        if (characterIn(*high, sample_[i - 1]).isLetter() &&
            characterIn(*high, sample_[i + 1]).isLetter())
            return true;
    }
    return false;
}

} // namespace TextFileFormat
