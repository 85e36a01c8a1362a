#pragma once

#include "detection.h"

#include "text/piecebytes.h"

#include <QtGlobal>

class FileSnapshot;

/// Where the pieces of a file that is kept in its file begin and end.
///
/// The file is cut near every multiple of the piece size, right after the
/// next line feed of its encoding (PartPlan::cutAfterLineFeed), so that
/// each piece decodes on its own; a multiple with no line feed in the 64 KiB
/// after it cuts nothing, and its piece goes on to the next cut. Any piece
/// can be planned alone, on any thread, and the pieces of every number laid
/// side by side cover the file from its text's start to its size exactly.
namespace PiecePlan {

/// How many pieces the first size bytes are planned as, some of them
/// perhaps empty.
qint64 count(qint64 size, qint64 pieceSize);

/// Piece number index of the first size bytes of the file; empty (begin ==
/// end) when no cut starts it.
PieceBytes piece(const FileSnapshot &snapshot, qint64 size,
                 const TextFileFormat::FileFormat &format, qint64 pieceSize, qint64 index);

} // namespace PiecePlan
