#pragma once

#include "byteprefilter.h"
#include "linesummary.h"
#include "piecebytes.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class PieceSource;
class PieceStore;

/// What a look at each of a row of pieces found, worked out on helper
/// threads a little ahead of the one thread that takes the verdicts in
/// order: for a piece with a byte prefilter, whether its bytes may hold a
/// match (its bytes are then let go); for a piece without, its text decoded
/// into its store ahead of the search that reads it.
class PieceVerdicts
{
public:
    /// One piece to look at; store is null for text already in memory.
    struct Job
    {
        PieceBytes piece;
        LineSummary summary;
        std::shared_ptr<PieceStore> store;
        std::shared_ptr<const BytePrefilter> filter;
    };
    struct Verdict
    {
        bool mayHold = true;
    };
    /// Starts a helper thread with work; false when none can be started.
    using Starter = std::function<bool(std::function<void()>)>;

    /// Looks at jobs on up to helpers threads; stop ends everything early.
    static std::shared_ptr<PieceVerdicts> start(std::vector<Job> jobs, const Starter &starter,
                                                int helpers,
                                                std::shared_ptr<const std::atomic<bool>> stop);
    PieceVerdicts(std::vector<Job> jobs, std::shared_ptr<const std::atomic<bool>> stop);
    ~PieceVerdicts();

    /// The verdict on job index, once it is ready (looked at here if no
    /// helper has taken it); null once stopped. Each earlier one must have
    /// been taken; one may be taken again.
    const Verdict *take(qsizetype index);
    /// No more verdicts are needed: the helpers end.
    void finish();

private:
    void help();
    /// Whether index is far enough ahead of the verdict taken last to wait.
    bool tooFarAhead(qsizetype index) const;
    Verdict judge(const Job &job) const;
    bool stopped() const;

    const std::vector<Job> jobs_;
    const std::shared_ptr<const std::atomic<bool>> stop_;
    std::vector<Verdict> verdicts_;
    std::vector<char> ready_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    qsizetype next_ = 0;  ///< the first job no thread has taken
    qsizetype taken_ = 0; ///< the first verdict not yet taken
    bool finished_ = false;
};
