#include "pieceverdicts.h"

#include "piecesource.h"
#include "piecestore.h"

#include <chrono>
#include <new>

namespace {

// How far helpers look ahead of the search: a verdict on bytes keeps
// nothing, a decoded piece is the piece's text held in its store.
constexpr qsizetype BytesAhead = 16;
constexpr qsizetype DecodedAhead = 2;

// Waits wake this often to see whether the search was stopped.
constexpr auto StopCheck = std::chrono::milliseconds(20);

} // namespace

std::shared_ptr<PieceVerdicts> PieceVerdicts::start(std::vector<Job> jobs, const Starter &starter,
                                                    int helpers,
                                                    std::shared_ptr<const std::atomic<bool>> stop)
{
    auto verdicts = std::make_shared<PieceVerdicts>(std::move(jobs), std::move(stop));
    for (int k = 0; k < helpers && starter; ++k)
        if (!starter([verdicts] { verdicts->help(); }))
            break;
    return verdicts;
}

PieceVerdicts::PieceVerdicts(std::vector<Job> jobs, std::shared_ptr<const std::atomic<bool>> stop)
    : jobs_(std::move(jobs)), stop_(std::move(stop)), verdicts_(jobs_.size()),
      ready_(jobs_.size(), 0)
{
}

PieceVerdicts::~PieceVerdicts() = default;

bool PieceVerdicts::stopped() const
{
    return stop_ && stop_->load(std::memory_order_relaxed);
}

bool PieceVerdicts::tooFarAhead(qsizetype index) const
{
    const Job &job = jobs_[size_t(index)];
    return index > taken_ + (job.store && !job.filter ? DecodedAhead : BytesAhead);
}

void PieceVerdicts::help()
{
    std::unique_lock lock(mutex_);
    while (!finished_ && !stopped() && next_ < qsizetype(jobs_.size())) {
        if (tooFarAhead(next_)) {
            changed_.wait_for(lock, StopCheck);
            continue;
        }
        const qsizetype index = next_++;
        lock.unlock();
        Verdict verdict;
        try {
            verdict = judge(jobs_[size_t(index)]);
        } catch (const std::bad_alloc &) {
            // Left to the search, which reads the piece itself.
        }
        lock.lock();
        verdicts_[size_t(index)] = std::move(verdict);
        ready_[size_t(index)] = 1;
        changed_.notify_all();
    }
}

const PieceVerdicts::Verdict *PieceVerdicts::take(qsizetype index)
{
    std::unique_lock lock(mutex_);
    taken_ = index;
    changed_.notify_all();
    while (!ready_[size_t(index)]) {
        if (stopped())
            return nullptr;
        if (next_ == index) {
            ++next_;
            lock.unlock();
            Verdict verdict = judge(jobs_[size_t(index)]);
            lock.lock();
            verdicts_[size_t(index)] = std::move(verdict);
            ready_[size_t(index)] = 1;
            break;
        }
        changed_.wait_for(lock, StopCheck);
    }
    return stopped() ? nullptr : &verdicts_[size_t(index)];
}

void PieceVerdicts::finish()
{
    const std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

// A piece found lost, or whose bytes no longer read as counted, is left to
// the search, which reads it through its store as lost text.
PieceVerdicts::Verdict PieceVerdicts::judge(const Job &job) const
{
    Verdict verdict;
    if (!job.store || stopped())
        return verdict;
    if (!job.filter || job.store->isLost(job.piece)) {
        job.store->text(job.piece, job.summary);
        return verdict;
    }
    const std::optional<PieceSource::Bytes> bytes = job.store->source()->bytes(job.piece);
    if (!bytes)
        return verdict;
    verdict.mayHold = job.filter->mayHold(bytes->data, bytes->size);
    return verdict;
}
