#pragma once

#include "detection.h"

#include <QtGlobal>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class PieceStore;

/// How a file is read into chunks (FileLoad).
struct LoadOptions
{
    /// Bytes read at a time: small enough that the bytes are still in the
    /// processor's cache when they are scanned or decoded.
    qsizetype blockSize = 256 << 10;
    int threads = defaultThreads();
    /// The largest part; a file is cut smaller where that keeps every
    /// thread busy to the end, though never below a megabyte.
    qint64 partSize = 16 << 20;
    /// Whether plain text is kept where it was read (InPlaceReading);
    /// otherwise each part is read into one block again and again.
    bool readInPlace = true;
    /// The file's format; found from the file itself when not given.
    std::optional<TextFileFormat::FileFormat> format;
    /// The file's encoding, when a person has chosen it; its line ends
    /// are still found from the file. Unused when format is given.
    std::optional<TextFileFormat::Encoding> encoding;
    /// Where the text is left in the file as pieces (Chunk::piece), read
    /// through this store; with none, it is read into memory. The load
    /// gives the store its source once the file's format is known.
    std::shared_ptr<PieceStore> pieces;
    /// Pieces are cut near every multiple of this many bytes, and may be
    /// cut again about every cutSpacing bytes.
    qint64 pieceSize = 4 << 20;
    qint64 cutSpacing = 8 << 10;
    /// For tests: called on the reading thread after each part of a file
    /// read at offsets has been read, with the part's number, so that a test
    /// can act on the file between parts.
    std::function<void(qsizetype part)> afterPart;

    static int defaultThreads()
    {
        return int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    }
};
