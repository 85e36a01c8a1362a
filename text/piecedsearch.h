#pragma once

#include "pieceverdicts.h"
#include "textsearch.h"

#include <atomic>
#include <memory>
#include <optional>
#include <vector>

class Chunk;
class TextModel;

/// Finds a query in a text that holds pieces of a file, as TextSearch finds
/// it, reading the pieces in order on helper threads: a piece whose bytes
/// are its text is first looked through in its bytes (BytePrefilter), and
/// only where they may hold a match is its text decoded and searched, with
/// a stretch on either side for a match across its edges. So a miss through
/// a file decodes nothing, and at no time are more than a few pieces held.
///
/// The model must not change while the search is used; it is meant to be a
/// snapshot's (SearchSnapshot). Once stop is set, every search ends at once
/// and finds nothing.
class PiecedSearch
{
public:
    PiecedSearch(const TextModel &model, const SearchQuery &query, PieceVerdicts::Starter starter,
                 std::shared_ptr<const std::atomic<bool>> stop);

    std::optional<TextSearch::Match> first(qint64 from, qint64 to) const;
    std::optional<TextSearch::Match> last(qint64 from, qint64 to) const;
    qsizetype length() const { return search_.length(); }

    /// Helper threads each search starts beside its own.
    static constexpr int Helpers = 2;

private:
    /// A piece of the file, or a run of text in memory.
    struct Unit
    {
        qint64 start = 0;
        qint64 end = 0;
        PieceVerdicts::Job job;
    };
    struct Range
    {
        qint64 from = 0;
        qint64 to = 0;
    };

    void addUnit(const Chunk &chunk, qint64 start, const SearchQuery &query);
    /// The units that hold characters of [from, to), as first and last index.
    std::pair<qsizetype, qsizetype> unitsOf(qint64 from, qint64 to) const;
    std::shared_ptr<PieceVerdicts> verdictsFor(qsizetype first, qsizetype last,
                                               bool backward) const;
    /// The stretch a match in or across the edges of unit index may lie in.
    Range around(qsizetype index) const;
    bool stopped() const { return stop_->load(std::memory_order_relaxed); }

    const TextSearch search_;
    const PieceVerdicts::Starter starter_;
    const std::shared_ptr<const std::atomic<bool>> stop_;
    std::vector<Unit> units_;
    std::vector<std::pair<const PieceSource *, std::shared_ptr<const BytePrefilter>>> filters_;
};
