#include "lostpieces.h"

#include "text/piecestore.h"
#include "text/textmodel.h"

#include <QLocale>

#include <algorithm>

// Carries what a store tells, on whatever thread it reads, to the document's
// thread. It lives for as long as a store may still tell something, and
// goes on the document's thread, after the document if need be.
class LostPieces::Relay : public QObject
{
public:
    explicit Relay(LostPieces *owner) : owner_(owner) {}

    void post(std::weak_ptr<const PieceStore> store, const PieceBytes &piece)
    {
        QMetaObject::invokeMethod(
            this,
            [this, store, piece] {
                const std::shared_ptr<const PieceStore> held = store.lock();
                if (owner_ && held)
                    owner_->take(held, piece);
            },
            Qt::QueuedConnection);
    }
    void forget() { owner_ = nullptr; }

private:
    LostPieces *owner_; ///< only read and changed on the document's thread
};

LostPieces::LostPieces(const TextModel &text, QObject *parent)
    : QObject(parent), text_(text),
      relay_(new Relay(this), [](Relay *relay) { relay->deleteLater(); })
{
}

LostPieces::~LostPieces()
{
    relay_->forget();
}

void LostPieces::watch(PieceStore &store)
{
    store.setLostHandler([relay = relay_, weak = store.weak_from_this()](const PieceBytes &piece) {
        relay->post(weak, piece);
    });
}

// The piece may have been cut since it was read: every piece of the same
// store whose bytes lie in it counts.
std::optional<LostPieces::Lines> LostPieces::linesOf(const std::shared_ptr<const PieceStore> &store,
                                                     const PieceBytes &piece) const
{
    qint64 first = -1;
    qint64 last = -1;
    text_.forEachChunk([&](const Chunk &chunk, qint64 start) {
        if (chunk.isPiece() && chunk.pieceStore() == store && chunk.pieceBytes().overlaps(piece)) {
            if (first < 0)
                first = text_.lineAt(start);
            last = text_.lineAt(start + std::max<qint64>(chunk.size() - 1, 0));
        }
        return true;
    });
    if (first < 0)
        return std::nullopt;
    return Lines{first + 1, last + 1};
}

// A piece only the history holds costs no line of the text: it is not told.
void LostPieces::take(const std::shared_ptr<const PieceStore> &store, const PieceBytes &piece)
{
    const bool known = std::any_of(losses_.begin(), losses_.end(), [&](const Loss &loss) {
        return loss.store.lock() == store && loss.piece.overlaps(piece);
    });
    const std::optional<Lines> lines = known ? std::nullopt : linesOf(store, piece);
    if (!lines)
        return;
    losses_.push_back(Loss{store, piece, *lines});
    emit found();
}

// Lines are named where they stand now; a stretch deleted since keeps the
// place it had.
QString LostPieces::unreadable() const
{
    std::vector<Lines> lines;
    for (const Loss &loss : losses_) {
        const std::shared_ptr<const PieceStore> store = loss.store.lock();
        lines.push_back(store ? linesOf(store, loss.piece).value_or(loss.lines) : loss.lines);
    }
    std::sort(lines.begin(), lines.end());
    std::vector<Lines> merged; // pieces side by side make one stretch
    for (const Lines &stretch : lines) {
        if (!merged.empty() && stretch.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, stretch.second);
        else
            merged.push_back(stretch);
    }
    lines = std::move(merged);
    const QLocale locale;
    QStringList stretches;
    for (const auto &[first, last] : lines) {
        stretches << (first == last ? locale.toString(first)
                                    : QStringLiteral("da %1 a %2")
                                          .arg(locale.toString(first), locale.toString(last)));
    }
    if (lines.size() == 1 && lines.front().first == lines.front().second)
        return QStringLiteral("la riga %1 del documento non si può più leggere")
            .arg(stretches.front());
    QString joined = stretches.join(QStringLiteral(", "));
    const qsizetype lastComma = joined.lastIndexOf(QStringLiteral(", "));
    if (lastComma >= 0)
        joined.replace(lastComma, 2, QStringLiteral(" e "));
    return QStringLiteral("le righe %1 del documento non si possono più leggere").arg(joined);
}

QString LostPieces::inMemory(const TextModel &text)
{
    const QLocale locale;
    QString kept;
    qint64 from = -1;
    const auto close = [&](qint64 to) {
        if (from < 0)
            return;
        const qint64 first = text.lineAt(from) + 1;
        const qint64 last = text.lineAt(to - 1) + 1;
        kept += (first == last ? QStringLiteral("[riga %1]\n").arg(locale.toString(first))
                               : QStringLiteral("[righe da %1 a %2]\n")
                                     .arg(locale.toString(first), locale.toString(last)));
        kept += text.text(from, to);
        if (!kept.endsWith(u'\n') && !kept.endsWith(u'\r'))
            kept += u'\n';
        from = -1;
    };
    text.forEachChunk([&](const Chunk &chunk, qint64 start) {
        if (chunk.isPiece())
            close(start);
        else if (from < 0)
            from = start;
        return true;
    });
    close(text.length());
    return kept;
}
