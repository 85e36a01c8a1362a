#include "searchsnapshot.h"

#include "piecestore.h"
#include "textmodel.h"
#include "textmodelappender.h"

#include <algorithm>

namespace {

// Pieces a search's own store keeps decoded: the one searched, its
// neighbours, and the one read ahead.
constexpr qint64 QuietPieces = 4;

} // namespace

SearchSnapshot::SearchSnapshot(const TextModel &model)
{
    model.forEachChunk([this](const Chunk &chunk, qint64) {
        if (chunk.isPiece())
            largestPiece_ = std::max(largestPiece_, chunk.pieceBytes().size());
        chunks_.push_back(chunk);
        return true;
    });
    for (Chunk &chunk : chunks_)
        if (chunk.isPiece())
            chunk = Chunk::piece(quietStoreFor(chunk.pieceStore()), chunk.pieceBytes(),
                                 chunk.summary());
}

// A piece decodes to at most two bytes a byte of the file.
std::shared_ptr<PieceStore> SearchSnapshot::quietStoreFor(const std::shared_ptr<PieceStore> &store)
{
    const auto known = std::find_if(stores_.begin(), stores_.end(), [&store](const auto &pair) {
        return pair.first == store.get();
    });
    if (known != stores_.end())
        return known->second;
    auto quiet = std::make_shared<PieceStore>(store->source(), QuietPieces * 2 * largestPiece_);
    for (const PieceBytes &lost : store->lost())
        quiet->reportLost(lost);
    quiet->setLostHandler([document = std::weak_ptr<PieceStore>(store)](const PieceBytes &piece) {
        if (const std::shared_ptr<PieceStore> told = document.lock())
            told->reportLost(piece);
    });
    stores_.emplace_back(store.get(), quiet);
    return quiet;
}

std::unique_ptr<TextModel> SearchSnapshot::takeModel()
{
    auto model = std::make_unique<TextModel>();
    TextModelAppender(*model).append(std::move(chunks_));
    chunks_.clear();
    return model;
}
