#pragma once

/// The signals that ask the program to end (SIGTERM, which a logout
/// sends; SIGHUP, a closed terminal; SIGINT, Ctrl+C), taken from a
/// descriptor by whichever thread watches it instead of ending the program
/// wherever it happens to be.
///
/// Made first thing in main, before any thread starts, so that every
/// thread inherits them blocked; a process this one starts gets them back
/// unblocked. Where the system has no such descriptor, nothing changes.
class TerminationSignals
{
public:
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals &) = delete;
    TerminationSignals &operator=(const TerminationSignals &) = delete;

    /// Readable while one of the signals is pending; -1 when there is none.
    int descriptor() const { return fd_; }
    /// Takes the pending signal and gives its number; 0 when none was.
    int take() const;
    /// The status a shell expects of a program a signal ended: 128 and its
    /// number.
    static int exitStatus(int signal) { return 128 + signal; }

private:
    int fd_ = -1;
};
