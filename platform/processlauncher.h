#pragma once

#include <QString>

/// Starts another program without waiting for it.
class ProcessLauncher
{
public:
    virtual ~ProcessLauncher() = default;
    /// Starts the program at this path, in a normal window, with no
    /// arguments. The path is never handed to a shell. Returns false when
    /// the program could not be started.
    virtual bool start(const QString &programPath) = 0;
};

class QtProcessLauncher : public ProcessLauncher
{
public:
    bool start(const QString &programPath) override;
};
