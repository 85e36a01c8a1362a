#pragma once

#include <QString>

/// Decides which of two programs opens the files of one hand-over when the
/// start that hands them over can no longer tell whether the running
/// program took them: it stopped waiting for an answer. Each hand-over is a
/// request with a name of its own; the first of the two programs to claim
/// it opens the files, and the other does nothing, however late it comes.
///
/// A claim is a file that the system creates only where there is none yet,
/// in one step, for whichever program asks first. A claim is kept a day, and
/// a request older than a day is not taken at all, so a claim removed as
/// stale never lets its request through a second time.
class HandOverClaim
{
public:
    enum class Outcome {
        Ours,   ///< this program claimed the request first
        Theirs, ///< the other program claimed it before
        Failed, ///< no claim can be made here (no folder, a bad name)
    };

    /// How long a claim is kept, and a request may be taken.
    static constexpr qint64 KeptMs = 24 * 60 * 60 * 1000;

    /// Claims in folder: by default the program's folder among the
    /// session's files ($XDG_RUNTIME_DIR, or a private folder the toolkit
    /// makes under /tmp).
    explicit HandOverClaim(QString folder = sessionFolder());

    static QString sessionFolder();
    /// A name that no other request has.
    static QString newRequest();
    /// True when madeAt (milliseconds since 1970, UTC) is recent enough at
    /// now for the request to be taken.
    static bool isCurrent(qint64 madeAt, qint64 now);

    Outcome claim(const QString &request) const;
    /// Removes the claims older than a day.
    void removeStale(qint64 now) const;

private:
    QString folder_;
};
