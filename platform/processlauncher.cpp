#include "processlauncher.h"

#include <QProcess>

bool QtProcessLauncher::start(const QString &programPath)
{
    if (programPath.isEmpty())
        return false;
    return QProcess::startDetached(programPath, {});
}
