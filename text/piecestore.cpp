#include "piecestore.h"

#include "lostpiecetext.h"
#include "piecesource.h"

#include <algorithm>

PieceStore::PieceStore(std::shared_ptr<const PieceSource> source, qint64 cacheBytes,
                       MemoryCharge charge)
    : source_(std::move(source)), cacheBytes_(cacheBytes), charge_(std::move(charge))
{
}

// A piece read twice at once by two threads is decoded twice; the first
// text cached is what both get.
std::shared_ptr<const PieceText> PieceStore::text(const PieceBytes &piece,
                                                  const LineSummary &expected)
{
    if (std::shared_ptr<const PieceText> found = cached(piece))
        return found;
    bool lost = false;
    {
        const std::lock_guard lock(mutex_);
        lost = isLostLocked(piece);
    }
    std::optional<PieceText> read;
    if (!lost)
        read = source()->read(piece);
    // Bytes that decode to another shape than the one counted are not the
    // bytes that were counted, whatever their checksum says.
    const LineSummary &got = read ? read->characters.summary() : expected;
    if (!read || got.length != expected.length || got.breaks != expected.breaks) {
        markLost(piece);
        return insert(piece, lostPieceText(expected, piece.size()));
    }
    return insert(piece, std::move(*read));
}

std::shared_ptr<const PieceText> PieceStore::cached(const PieceBytes &piece)
{
    const std::lock_guard lock(mutex_);
    const auto found = entries_.find({piece.begin, piece.end});
    if (found == entries_.end())
        return nullptr;
    found->second.used = ++clock_;
    return found->second.text;
}

void PieceStore::keep(const PieceBytes &piece, PieceText text)
{
    insert(piece, std::move(text));
}

std::shared_ptr<const PieceText> PieceStore::insert(const PieceBytes &piece, PieceText text)
{
    const qint64 bytes = text.memoryBytes();
    auto made = std::make_shared<const PieceText>(std::move(text));
    const std::lock_guard lock(mutex_);
    const auto found = entries_.find({piece.begin, piece.end});
    if (found != entries_.end()) {
        found->second.used = ++clock_;
        return found->second.text;
    }
    evictLocked(bytes);
    entries_[{piece.begin, piece.end}] = Entry{made, bytes, ++clock_};
    cachedBytes_ += bytes;
    return made;
}

// The newest piece stays even when it alone is larger than the room.
void PieceStore::evictLocked(qint64 room)
{
    while (!entries_.empty() && cachedBytes_ + room > cacheBytes_) {
        const auto oldest =
            std::min_element(entries_.begin(), entries_.end(), [](const auto &a, const auto &b) {
                return a.second.used < b.second.used;
            });
        cachedBytes_ -= oldest->second.bytes;
        entries_.erase(oldest);
    }
}

bool PieceStore::isLostLocked(const PieceBytes &piece) const
{
    return std::any_of(lost_.begin(), lost_.end(),
                       [&piece](const PieceBytes &lost) { return lost.overlaps(piece); });
}

void PieceStore::markLost(const PieceBytes &piece)
{
    LostHandler handler;
    {
        const std::lock_guard lock(mutex_);
        if (isLostLocked(piece))
            return;
        lost_.push_back(piece);
        handler = lostHandler_;
    }
    if (handler)
        handler(piece);
}

bool PieceStore::hasLost() const
{
    const std::lock_guard lock(mutex_);
    return !lost_.empty();
}

std::vector<PieceBytes> PieceStore::lost() const
{
    const std::lock_guard lock(mutex_);
    return lost_;
}

bool PieceStore::isLost(const PieceBytes &piece) const
{
    const std::lock_guard lock(mutex_);
    return isLostLocked(piece);
}

std::shared_ptr<PieceStore> PieceStore::successor(std::shared_ptr<const PieceSource> source)
{
    const std::lock_guard lock(mutex_);
    auto next = std::make_shared<PieceStore>(std::move(source), cacheBytes_, std::move(charge_));
    cacheBytes_ /= 8;
    evictLocked(0);
    return next;
}

void PieceStore::setSource(std::shared_ptr<const PieceSource> source)
{
    const std::lock_guard lock(mutex_);
    source_ = std::move(source);
}

std::shared_ptr<const PieceSource> PieceStore::source() const
{
    const std::lock_guard lock(mutex_);
    return source_;
}

void PieceStore::setLostHandler(LostHandler handler)
{
    const std::lock_guard lock(mutex_);
    lostHandler_ = std::move(handler);
}

qint64 PieceStore::cachedBytes() const
{
    const std::lock_guard lock(mutex_);
    return cachedBytes_;
}
