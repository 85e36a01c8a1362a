#pragma once

#include "encoding.h"

#include "text/linebreak.h"
#include "text/piecebytes.h"

#include <QByteArrayView>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Chunk;
class FileDigest;
class FileSnapshot;
class PieceStore;
class TextModel;

namespace TextFileFormat {

/// Writes a document's text into a file as Save does, a stretch at a time,
/// never holding the whole: the text in memory encoded a megabyte at a
/// time, the pieces of a file (Chunk::piece) whose bytes are their text in
/// the same encoding copied from that file's bytes, each checked against the
/// file's checksum first (PieceCopier), and the other pieces read and
/// encoded. It says where each piece went in the file written, and works
/// out that file's checksum as it writes, so that the pieces may name the
/// new file once it has taken its place.
///
/// Each stretch is written by writeChunk: where lines are to end otherwise
/// than the text says, that is where a piece's bytes stop being copied and
/// its text is written converted.
class StreamedSave
{
public:
    /// Where the piece at index of the text went in the file written.
    struct Placed
    {
        qsizetype index = 0;
        qint64 begin = 0;
        qint64 end = 0;
        bool copied = false; ///< as its bytes, rather than through its text
    };
    /// A piece whose bytes were found gone.
    struct Lost
    {
        std::shared_ptr<PieceStore> store;
        PieceBytes piece;
    };

    /// digested: works out the checksum of what it writes (for moveInto).
    StreamedSave(const TextModel &text, const Encoding &encoding, bool digested = false);
    ~StreamedSave();

    /// Writes the text, its mark first; false when write fails, a
    /// character cannot be written (see canEncode) or a piece's bytes are
    /// gone (lost()).
    bool write(const std::function<bool(QByteArrayView)> &write);

    /// Once the file written has taken its place, with the text as it was
    /// written: its pieces are read from that file from now on, through a
    /// store that takes over from store (PieceStore::successor), which it
    /// gives. A piece whose text went in as bytes that may not read back
    /// alone as the same text stays where it was read.
    std::shared_ptr<PieceStore> moveInto(TextModel &text, const std::shared_ptr<PieceStore> &store,
                                         std::shared_ptr<const FileSnapshot> written) const;

    const std::vector<Placed> &placed() const { return placed_; }
    const std::optional<Lost> &lost() const { return lost_; }
    /// The checksum of what was written, once it was written whole.
    const std::shared_ptr<const FileDigest> &digest() const { return digest_; }

private:
    class Writing;

    const TextModel &text_;
    const Encoding encoding_;
    const bool digested_;
    std::vector<Placed> placed_;
    std::optional<Lost> lost_;
    std::shared_ptr<const FileDigest> digest_;
};

} // namespace TextFileFormat
