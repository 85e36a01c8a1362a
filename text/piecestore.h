#pragma once

#include "linesummary.h"
#include "memorycharge.h"
#include "piecebytes.h"
#include "piecetext.h"

#include <QtGlobal>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

class PieceSource;

/// The pieces of one file, read through its source and kept decoded in a
/// small cache: the few pieces read last stay until the cache's room is
/// needed for others, the least recently read going first. A piece's text
/// handed out stays whole for as long as whoever asked holds it, evicted or
/// not; only what the cache keeps counts against its room.
///
/// A piece whose bytes are gone (the file cut or rewritten by another
/// program) is never read as text: it reads as lost text of the same shape
/// (LostPieceText), and stays lost, whatever its bytes become later. The
/// first read that finds it lost is told (setLostHandler).
///
/// Any thread may read.
class PieceStore : public std::enable_shared_from_this<PieceStore>
{
public:
    using LostHandler = std::function<void(const PieceBytes &piece)>;

    /// The cache keeps up to cacheBytes of decoded text; charge is the
    /// memory taken for it, held for as long as the store lives.
    PieceStore(std::shared_ptr<const PieceSource> source, qint64 cacheBytes,
               MemoryCharge charge = {});
    /// A store whose source is given later, before any piece is read.
    explicit PieceStore(qint64 cacheBytes, MemoryCharge charge = {})
        : PieceStore(nullptr, cacheBytes, std::move(charge))
    {
    }
    /// Gives a store made without one its source, before any piece of it
    /// is made.
    /// A store for the same text under another file (once a save has
    /// written it there), which takes over this one's cache room and the
    /// memory charged for it; this one keeps an eighth of its room, for the
    /// pieces that still name the old file (the history's).
    std::shared_ptr<PieceStore> successor(std::shared_ptr<const PieceSource> source);
    /// Gives the store another source of the same bytes (a copy of its
    /// file); any thread may be reading meanwhile.
    void setSource(std::shared_ptr<const PieceSource> source);
    PieceStore(const PieceStore &) = delete;
    PieceStore &operator=(const PieceStore &) = delete;

    /// The decoded text of the piece, which was counted as expected.
    std::shared_ptr<const PieceText> text(const PieceBytes &piece, const LineSummary &expected);
    /// Keeps text already decoded elsewhere (by the load that counted it).
    void keep(const PieceBytes &piece, PieceText text);

    /// Marks a piece whose bytes were found gone elsewhere (a save that
    /// copies them) lost, as a read would.
    void reportLost(const PieceBytes &piece) { markLost(piece); }
    /// Whether any piece was found lost, and which.
    bool hasLost() const;
    std::vector<PieceBytes> lost() const;
    /// Whether the piece overlaps one found lost.
    bool isLost(const PieceBytes &piece) const;
    /// Called, on the thread that read it, for each piece found lost.
    void setLostHandler(LostHandler handler);

    std::shared_ptr<const PieceSource> source() const;
    /// The decoded text the cache keeps now, in bytes.
    qint64 cachedBytes() const;

private:
    struct Entry
    {
        std::shared_ptr<const PieceText> text;
        qint64 bytes = 0;
        quint64 used = 0;
    };
    using Key = std::pair<qint64, qint64>;

    std::shared_ptr<const PieceText> cached(const PieceBytes &piece);
    /// Caches text, making room first; returns what the cache holds for
    /// the piece (another thread's text, when it came first).
    std::shared_ptr<const PieceText> insert(const PieceBytes &piece, PieceText text);
    /// Marks the piece lost, and tells so once.
    void markLost(const PieceBytes &piece);
    bool isLostLocked(const PieceBytes &piece) const;
    void evictLocked(qint64 room);

    std::shared_ptr<const PieceSource> source_;
    qint64 cacheBytes_;
    MemoryCharge charge_;
    mutable std::mutex mutex_;
    std::map<Key, Entry> entries_;
    qint64 cachedBytes_ = 0;
    quint64 clock_ = 0;
    std::vector<PieceBytes> lost_;
    LostHandler lostHandler_;
};
