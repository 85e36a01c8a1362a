#pragma once

#include "clock.h"
#include "filedialog.h"
#include "filelookup.h"
#include "filewatcher.h"
#include "memorygauge.h"
#include "messagebox.h"
#include "printerprovider.h"
#include "processlauncher.h"
#include "registry.h"

#include <memory>

/// Every service of the operating system and the toolkit that blocks or
/// reaches outside the program. The program gets one of these at start-up;
/// tests get one made of doubles.
struct Platform
{
    std::unique_ptr<FileDialog> fileDialog;
    std::unique_ptr<MessageBox> messageBox;
    std::unique_ptr<PrinterProvider> printer;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<ProcessLauncher> launcher;
    std::unique_ptr<FileLookup> fileLookup;
    std::unique_ptr<Registry> registry;
    std::unique_ptr<MemoryGauge> memory;
    /// None where the system tells nothing of changes to files.
    std::unique_ptr<FileWatcher> fileWatcher;
};

/// The real services.
Platform makeSystemPlatform();
