#pragma once

#include "detection.h"
#include "loadoptions.h"

#include <QtGlobal>

#include <limits>
#include <vector>

class FileSnapshot;

/// Where the parts of a file read at offsets begin and end.
///
/// Parts are of about equal size, each moved on to just after an LF of the
/// file's encoding (after 0A 00 at an even offset in UTF-16 LE), so that a
/// line end or a character never spans two parts and each part decodes on
/// its own exactly as it would after the one before. The byte-order mark is
/// in none of them.
namespace PartPlan {

struct Range
{
    qint64 begin = 0;
    qint64 end = 0; ///< past the part's last byte
};

/// Where a part may end near offset: right after the next LF of the
/// encoding at or after offset, looked for in the next 64 KiB; -1 when
/// there is none there.
qint64 cutAfterLineFeed(const FileSnapshot &snapshot, qint64 offset,
                        const TextFileFormat::Encoding &encoding);

/// The parts of the first size bytes of the file; the last one ends at
/// size. Reads a little of the file around each cut.
std::vector<Range> plan(const FileSnapshot &snapshot, qint64 size,
                        const TextFileFormat::FileFormat &format, const LoadOptions &options);

} // namespace PartPlan
