#pragma once

#include "app/frmmain.h"
#include "app/statusbar.h"
#include "tests/support/fakeclock.h"
#include "tests/support/fakefiledialog.h"
#include "tests/support/fakefilelookup.h"
#include "tests/support/fakefilewatcher.h"
#include "tests/support/fakememorygauge.h"
#include "tests/support/fakemessagebox.h"
#include "tests/support/fakeprinterprovider.h"
#include "tests/support/fakeprocesslauncher.h"
#include "tests/support/fakeregistry.h"

#include <memory>

/// A main window built on test doubles, with the doubles kept at hand.
/// Files are watched by watcher when one is given, else by a double that
/// tells nothing.
struct MainWindowFixture
{
    explicit MainWindowFixture(const QString &printFolder = {},
                               std::unique_ptr<FileWatcher> watcher = {})
    {
        Platform platform;
        auto dialogDouble = std::make_unique<FakeFileDialog>();
        auto messagesDouble = std::make_unique<FakeMessageBox>();
        auto printerDouble = std::make_unique<FakePrinterProvider>(printFolder);
        auto clockDouble = std::make_unique<FakeClock>();
        auto launcherDouble = std::make_unique<FakeProcessLauncher>();
        auto filesDouble = std::make_unique<FakeFileLookup>();
        auto registryDouble = std::make_unique<FakeRegistry>();
        auto memoryDouble = std::make_unique<FakeMemoryGauge>();
        dialog = dialogDouble.get();
        messages = messagesDouble.get();
        printer = printerDouble.get();
        clock = clockDouble.get();
        launcher = launcherDouble.get();
        files = filesDouble.get();
        registry = registryDouble.get();
        memory = memoryDouble.get();
        platform.fileDialog = std::move(dialogDouble);
        platform.messageBox = std::move(messagesDouble);
        platform.printer = std::move(printerDouble);
        platform.clock = std::move(clockDouble);
        platform.launcher = std::move(launcherDouble);
        platform.fileLookup = std::move(filesDouble);
        platform.registry = std::move(registryDouble);
        platform.memory = std::move(memoryDouble);
        platform.fileWatcher = watcher ? std::move(watcher) : std::make_unique<FakeFileWatcher>();
        window = std::make_unique<frmMain>(std::move(platform));
    }

    /// A part of the main window found by its name: a menu item
    /// ("mnuFileNew"), a menu ("mnuFile"), the toolbar ("tbToolBar"), a
    /// status bar panel ("datePanel").
    template <class T = QAction> T *find(const char *name) const
    {
        T *found = window->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("the main window has no %s", name);
        return found;
    }

    /// The note the status bar shows; empty when there is none.
    QString note() const { return find<StatusBar>("sbStatusBar")->note(); }

    FakeFileDialog *dialog;
    FakeMessageBox *messages;
    FakePrinterProvider *printer;
    FakeClock *clock;
    FakeProcessLauncher *launcher;
    FakeFileLookup *files;
    FakeRegistry *registry;
    FakeMemoryGauge *memory;
    std::unique_ptr<frmMain> window;
};
