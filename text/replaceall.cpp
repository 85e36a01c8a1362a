#include "replaceall.h"

#include "chunkbuilder.h"
#include "rangecopier.h"
#include "textmodel.h"
#include "textsearch.h"

namespace {

// How many characters built in memory are asked for at a time.
constexpr qint64 AskEvery = qint64(1) << 20;

} // namespace

qint64 replaceAll(TextModel &model, const SearchQuery &query, QStringView replacement, qint64 from,
                  qint64 to, const std::function<bool(qint64 characters)> &mayBuild)
{
    const TextSearch search(model, query);
    RangeCopier copier(model);
    ChunkBuilder builder = model.chunkBuilder();
    qint64 first = -1;
    qint64 copied = 0;
    qint64 built = 0;
    qint64 asked = 0;
    bool refused = false;
    const qint64 count = search.forEach(from, to, [&](const TextSearch::Match &match) {
        if (first < 0)
            first = copied = match.from;
        built += copier.appendTo(builder, copied, match.from);
        builder.append(replacement);
        built += replacement.size();
        copied = match.to;
        if (mayBuild && built - asked >= AskEvery) {
            asked = built;
            refused = !mayBuild(built);
        }
        return !refused;
    });
    if (refused)
        return -1;
    if (count > 0)
        model.replace(first, copied, builder.take());
    return count;
}
