#pragma once

#include "text/chunk.h"
#include "text/chunkbuilder.h"
#include "text/linebreak.h"

#include <optional>
#include <vector>

class TextModel;

// What changes in a document's text when it is to be written another way.
namespace TextFileFormat {

/// The whole text with every line break (a CR LF pair, a lone CR, a lone
/// LF) made the given one, cut into chunks by builder; nothing when every
/// break is that one already. A line break stays one line break, so every
/// line keeps its number and its characters.
std::optional<std::vector<Chunk>> withLineBreaks(const TextModel &text, LineBreak lineBreak,
                                                 ChunkBuilder builder);

/// Where the text holds its first byte that the encoding it was read in
/// could not decode: kept as an escape that only that encoding writes back
/// as the same byte, and that has no meaning in any other. Nothing when
/// there is none.
std::optional<qint64> firstUndecodedByte(const TextModel &text);

} // namespace TextFileFormat
