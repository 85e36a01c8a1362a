#pragma once

#include "linesummary.h"
#include "piecetext.h"

/// What a piece of bytes bytes reads as once they are gone: blanks and line
/// feeds in the shape it was counted with (the same length, line breaks,
/// first and last line, no line longer than its longest), so that every
/// position, line and edit of the document stays where it was, and nothing
/// another program wrote is shown as the document's text. It can be cut
/// only at its two ends.
PieceText lostPieceText(const LineSummary &shape, qint64 bytes);
