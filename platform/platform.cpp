#include "platform.h"

#include "inotifywatcher.h"
#include "qtfiledialog.h"
#include "qtmessagebox.h"
#include "systemmemorygauge.h"
#include "systemprinterprovider.h"
#include "systemregistry.h"

Platform makeSystemPlatform()
{
    Platform platform;
    platform.fileDialog = std::make_unique<QtFileDialog>();
    platform.messageBox = std::make_unique<QtMessageBox>();
    platform.printer = std::make_unique<SystemPrinterProvider>();
    platform.clock = std::make_unique<SystemClock>();
    platform.launcher = std::make_unique<QtProcessLauncher>();
    platform.fileLookup = std::make_unique<QtFileLookup>();
    platform.registry = makeSystemRegistry();
    platform.memory = std::make_unique<SystemMemoryGauge>();
#ifdef Q_OS_LINUX
    platform.fileWatcher = std::make_unique<InotifyWatcher>();
#endif
    return platform;
}
