#pragma once

#include <QtGlobal>

namespace TextFileFormat {

/// The end of the run of ASCII bytes from i on in which every CR has its LF
/// right after it: such a run is its own text, byte for byte, and goes to
/// the text as one copy. Most files are one such run from end to end, so
/// it is checked a vector of 16 bytes at a time where the processor has
/// them, eight bytes at a time elsewhere.
qsizetype asciiRunEnd(const uchar *bytes, qsizetype i, qsizetype size);

/// The same, eight bytes at a time on any processor.
qsizetype asciiRunEndPortable(const uchar *bytes, qsizetype i, qsizetype size);

} // namespace TextFileFormat
