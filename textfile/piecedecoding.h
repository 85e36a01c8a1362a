#pragma once

#include "detection.h"

#include "text/piecetext.h"

#include <QtGlobal>

#include <memory>

/// The text of a piece of a file: its bytes decoded in the file's format
/// into one chunk, with the places where it may be cut, right after a line
/// feed about every cutSpacing bytes.
///
/// A piece starts where the text starts or right after a line feed, so it
/// decodes exactly as it does after the bytes before it; only the piece that
/// ends the text decides how the text ends (endsText). Bytes that are their
/// own text (PlainBytes) stay where they were read, in memory, which the
/// chunk keeps alive.
namespace PieceDecoding {

/// How far apart the places to cut a piece are, at least: an edit in a
/// piece turns the lines between the two around it into ordinary chunks.
constexpr qint64 DefaultCutSpacing = 8 << 10;

PieceText decode(const TextFileFormat::FileFormat &format, const char *bytes, qint64 size,
                 std::shared_ptr<const void> memory, bool endsText,
                 qint64 cutSpacing = DefaultCutSpacing);

} // namespace PieceDecoding
