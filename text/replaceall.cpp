#include "replaceall.h"

#include "chunkbuilder.h"
#include "storedspans.h"
#include "textmodel.h"
#include "textsearch.h"

qint64 replaceAll(TextModel &model, const SearchQuery &query, QStringView replacement, qint64 from,
                  qint64 to)
{
    const TextSearch search(model, query);
    const StoredSpans spans(model, from, to);
    ChunkBuilder builder = model.chunkBuilder();
    qint64 first = -1;
    qint64 copied = 0;
    const qint64 count = search.forEach(from, to, [&](const TextSearch::Match &match) {
        if (first < 0)
            first = copied = match.from;
        spans.appendTo(builder, copied, match.from);
        builder.append(replacement);
        copied = match.to;
        return true;
    });
    if (count > 0)
        model.replace(first, copied, builder.take());
    return count;
}
