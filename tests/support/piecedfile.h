#pragma once

// A file's text put in a model as pieces, one after the other on the
// calling thread, with its checksum, as the load of a file that will not fit
// in memory does on its threads.

#include "text/piecestore.h"
#include "text/textmodel.h"
#include "text/textmodelappender.h"
#include "textfile/digestfeed.h"
#include "textfile/filedigest.h"
#include "textfile/filepieces.h"
#include "textfile/filesnapshot.h"
#include "textfile/pieceplan.h"

#include <QString>

#include <memory>

struct PiecedFile
{
    std::shared_ptr<FilePieces> source;
    std::shared_ptr<PieceStore> store;
};

/// Puts the text of the file at path into model, which should be empty, as
/// pieces of about pieceSize bytes, each cut every cutSpacing bytes, with a
/// cache of cacheBytes; nothing when the file cannot be read.
inline std::optional<PiecedFile> putPieces(TextModel &model, const QString &path,
                                           const TextFileFormat::FileFormat &format,
                                           qint64 pieceSize, qint64 cutSpacing, qint64 cacheBytes)
{
    std::shared_ptr<FileSnapshot> snapshot = FileSnapshot::open(path);
    if (!snapshot)
        return std::nullopt;
    const qint64 size = snapshot->stamp().size;
    auto digest = std::make_shared<FileDigest>(size);
    PiecedFile file;
    file.source = std::make_shared<FilePieces>(snapshot, format, digest, cutSpacing);
    file.store = std::make_shared<PieceStore>(file.source, cacheBytes);
    // The mark's bytes go into the checksum with the first piece's first word.
    TextModelAppender appender(model);
    for (qint64 k = 0; k < PiecePlan::count(size, pieceSize); ++k) {
        PieceBytes piece = PiecePlan::piece(*snapshot, size, format, pieceSize, k);
        if (piece.size() == 0)
            continue;
        const qint64 wordStart = piece.begin / FileDigest::WordSize * FileDigest::WordSize;
        QByteArray before(piece.begin - wordStart, Qt::Uninitialized);
        snapshot->readAt(wordStart, before.data(), before.size());
        DigestFeed feed(*digest, piece.begin, before);
        const std::optional<PieceText> text =
            FilePieces::readPiece(*snapshot, format, piece, cutSpacing, [&](const char *bytes) {
                feed.take(bytes, piece.size());
                feed.finish();
            });
        if (!text)
            return std::nullopt;
        piece.bytesAreText = text->bytesAreText;
        appender.append({Chunk::piece(file.store, piece, text->characters.summary())});
    }
    file.source->setChecked();
    return file;
}
