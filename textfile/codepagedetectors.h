#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// The two charset detectors the program asks about bytes that are not
// UTF-8: uchardet, whose letter statistics know most languages' pages, and
// ICU's, whose n-gram statistics say how much a reading looks like a
// language. Names come back as the program names code pages.
namespace TextFileFormat::CodePageDetectors {

/// The name Qt's converters take for a code page, as people know it
/// ("windows-1250", "ISO-8859-2", "Shift_JIS"); empty when no converter
/// reads the page or it is not a code page over ASCII (UTF-16, EBCDIC).
QByteArray codePageNamed(const char *name);

/// uchardet's code page for the bytes, or empty when it names none that
/// the converters read.
QByteArray uchardetGuess(QByteArrayView bytes);

/// One of ICU's readings of the bytes: a charset by ICU's name for it
/// (codePageNamed() tells whether it is a code page) and how sure ICU is,
/// from 0 to 100.
struct IcuMatch
{
    QByteArray charset;
    int confidence = 0;
};

/// ICU's readings of the bytes, surest first. Naming each costs more than
/// the detection, so they are left as ICU gives them.
QList<IcuMatch> icuMatches(QByteArrayView bytes);

} // namespace TextFileFormat::CodePageDetectors
