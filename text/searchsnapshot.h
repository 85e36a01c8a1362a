#pragma once

#include "chunk.h"

#include <memory>
#include <vector>

class TextModel;

/// A document's text as it stands, to search on other threads while the
/// document goes on changing: a copy of its chunks (a piece is only where
/// its bytes lie), whose pieces are read through stores of the search's
/// own, so that reading the whole file leaves the document's cache with the
/// pieces it had. Such a store keeps a few pieces at most, knows the pieces
/// already found lost, and tells the document's store of any it finds.
class SearchSnapshot
{
public:
    /// Made on the thread that owns model.
    explicit SearchSnapshot(const TextModel &model);

    /// A model of the copied chunks, moved into it; once only, on any thread.
    std::unique_ptr<TextModel> takeModel();

private:
    std::shared_ptr<PieceStore> quietStoreFor(const std::shared_ptr<PieceStore> &store);

    std::vector<Chunk> chunks_;
    qint64 largestPiece_ = 0;
    std::vector<std::pair<PieceStore *, std::shared_ptr<PieceStore>>> stores_;
};
