#pragma once

#include "text/linesummary.h"

#include <QtGlobal>

#include <optional>
#include <vector>

namespace TextFileFormat {

/// How many bytes the scan below checks at a time.
enum class ScanWidth {
    Word, ///< eight, on any processor
    Sse2, ///< sixteen
    Avx2, ///< thirty-two
};

/// Whether bytes are their own text, byte for byte: all ASCII, and every CR
/// followed by its LF within them. When they are, the summary of their
/// lines, as a chunk of them counts it; otherwise nothing. One pass checks
/// and counts, with the widest vector the processor has (chosen once).
std::optional<LineSummary> verbatimSummary(const uchar *bytes, qsizetype size);

/// The same, a given width at a time (one of availableScanWidths()).
std::optional<LineSummary> verbatimSummary(const uchar *bytes, qsizetype size, ScanWidth width);

/// The widths this processor can scan with, the narrowest first.
std::vector<ScanWidth> availableScanWidths();

} // namespace TextFileFormat
