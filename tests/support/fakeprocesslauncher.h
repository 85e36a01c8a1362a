#pragma once

#include "platform/processlauncher.h"

#include <QStringList>

/// Records the programs it is asked to start; starting fails for the paths
/// listed in failing.
class FakeProcessLauncher : public ProcessLauncher
{
public:
    bool start(const QString &programPath) override
    {
        if (failing.contains(programPath))
            return false;
        started << programPath;
        return true;
    }
    QStringList started;
    QStringList failing;
};
