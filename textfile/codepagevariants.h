#pragma once

#include <QByteArray>

namespace TextFileFormat {

class CodePageReading;

/// The page of a family that fits the file's bytes, where a detector names
/// its sibling: a Windows page for its ISO page when it reads the bytes
/// alike (and writes more) or when the file holds bytes that the ISO page
/// has only control characters for; ISO-8859-15 for a Western file whose
/// "€" Windows-1252 and ISO-8859-1 read as "¤"; KOI8-U for Ukrainian
/// letters that KOI8-R reads as pieces of boxes.
QByteArray refinedCodePage(const QByteArray &page, const CodePageReading &file);

} // namespace TextFileFormat
