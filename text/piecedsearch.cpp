#include "piecedsearch.h"

#include "piecesource.h"
#include "piecestore.h"
#include "textmodel.h"

#include <algorithm>

PiecedSearch::PiecedSearch(const TextModel &model, const SearchQuery &query,
                           PieceVerdicts::Starter starter,
                           std::shared_ptr<const std::atomic<bool>> stop)
    : search_(model, query), starter_(std::move(starter)), stop_(std::move(stop))
{
    model.forEachChunk([&](const Chunk &chunk, qint64 start) {
        addUnit(chunk, start, query);
        return true;
    });
}

// Text in memory is searched as it is: a run of it is one unit.
void PiecedSearch::addUnit(const Chunk &chunk, qint64 start, const SearchQuery &query)
{
    const qint64 end = start + chunk.size();
    if (!chunk.isPiece()) {
        if (!units_.empty() && !units_.back().job.store && units_.back().end == start)
            units_.back().end = end;
        else
            units_.push_back(Unit{start, end, {}});
        return;
    }
    Unit unit{start, end, {chunk.pieceBytes(), chunk.summary(), chunk.pieceStore(), nullptr}};
    const std::shared_ptr<const PieceSource> source = chunk.pieceStore()->source();
    if (chunk.pieceBytes().bytesAreText && source) {
        auto known = std::find_if(filters_.begin(), filters_.end(), [&source](const auto &pair) {
            return pair.first == source.get();
        });
        if (known == filters_.end()) {
            std::optional<BytePrefilter> filter = BytePrefilter::of(query, *source);
            filters_.emplace_back(
                source.get(), filter ? std::make_shared<const BytePrefilter>(*filter) : nullptr);
            known = filters_.end() - 1;
        }
        unit.job.filter = known->second;
    }
    units_.push_back(std::move(unit));
}

std::pair<qsizetype, qsizetype> PiecedSearch::unitsOf(qint64 from, qint64 to) const
{
    const auto startsAfter = [this](qint64 position) {
        return std::upper_bound(units_.begin(), units_.end(), position,
                                [](qint64 at, const Unit &unit) { return at < unit.start; }) -
               units_.begin();
    };
    return {std::max<qsizetype>(startsAfter(from) - 1, 0), startsAfter(to - 1) - 1};
}

std::shared_ptr<PieceVerdicts> PiecedSearch::verdictsFor(qsizetype first, qsizetype last,
                                                         bool backward) const
{
    std::vector<PieceVerdicts::Job> jobs;
    jobs.reserve(size_t(last - first + 1));
    for (qsizetype k = first; k <= last; ++k)
        jobs.push_back(units_[size_t(backward ? last - (k - first) : k)].job);
    return PieceVerdicts::start(std::move(jobs), starter_, Helpers, stop_);
}

PiecedSearch::Range PiecedSearch::around(qsizetype index) const
{
    const Unit &unit = units_[size_t(index)];
    return {unit.start - length() + 1, unit.end + length() - 1};
}

// The stretch around each piece that may hold a match is searched, in
// order, each from where the one before ended (less what a match across its
// end needs), so nothing is searched twice. A piece ends right after a line
// feed and the prefilter's pattern holds no line break, so the pattern of
// a match across a piece's edge lies in one of the two pieces, whose
// stretch holds the match.
std::optional<TextSearch::Match> PiecedSearch::first(qint64 from, qint64 to) const
{
    const qint64 m = length();
    if (m == 0 || to - from < m || units_.empty() || stopped())
        return std::nullopt;
    const auto [firstUnit, lastUnit] = unitsOf(from, to);
    const std::shared_ptr<PieceVerdicts> verdicts = verdictsFor(firstUnit, lastUnit, false);
    qint64 searchedTo = from;
    std::optional<TextSearch::Match> found;
    for (qsizetype k = firstUnit; k <= lastUnit && !found; ++k) {
        const PieceVerdicts::Verdict *verdict = verdicts->take(k - firstUnit);
        if (!verdict)
            break;
        if (!verdict->mayHold)
            continue;
        const Range range = around(k);
        const qint64 start = std::max({range.from, from, searchedTo - m + 1});
        const qint64 end = std::min(range.to, to);
        if (end <= searchedTo)
            continue;
        searchedTo = end;
        // The stretch reaches into the next piece: the helper that reads it
        // decodes it, rather than this thread a second time.
        if (k < lastUnit && !verdicts->take(k + 1 - firstUnit))
            break;
        if (end - start >= m && !stopped())
            found = search_.first(start, end);
    }
    verdicts->finish();
    return stopped() ? std::nullopt : found;
}

std::optional<TextSearch::Match> PiecedSearch::last(qint64 from, qint64 to) const
{
    const qint64 m = length();
    if (m == 0 || to - from < m || units_.empty() || stopped())
        return std::nullopt;
    const auto [firstUnit, lastUnit] = unitsOf(from, to);
    const std::shared_ptr<PieceVerdicts> verdicts = verdictsFor(firstUnit, lastUnit, true);
    qint64 searchedFrom = to;
    std::optional<TextSearch::Match> found;
    for (qsizetype k = lastUnit; k >= firstUnit && !found; --k) {
        const PieceVerdicts::Verdict *verdict = verdicts->take(lastUnit - k);
        if (!verdict)
            break;
        if (!verdict->mayHold)
            continue;
        const Range range = around(k);
        const qint64 start = std::max(range.from, from);
        const qint64 end = std::min({range.to, to, searchedFrom + m - 1});
        if (start >= searchedFrom)
            continue;
        searchedFrom = start;
        if (k > firstUnit && !verdicts->take(lastUnit - k + 1))
            break;
        if (end - start >= m && !stopped())
            found = search_.last(start, end);
    }
    verdicts->finish();
    return stopped() ? std::nullopt : found;
}
