#pragma once

#include "documentcounter.h"

#include "document/documenthost.h"
#include "document/frmdocument.h"
#include "platform/platform.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class ClockPanel;
class DocumentActivation;
class EditCommands;
class FileCommands;
class PrintCommand;
class QAction;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressBar;
class QStatusBar;
class QToolBar;
class WarningMessageBox;
class frmDocument;

/// The main window: menus, toolbar and status bar around the area that holds
/// the document windows. It lays out and routes; every command's work is
/// done in document/ or about/.
class frmMain : public QMainWindow, public DocumentHost
{
    Q_OBJECT

public:
    explicit frmMain(Platform platform, QWidget *parent = nullptr);
    ~frmMain() override;

    /// Shows the window, loading it first the first time.
    void Show();

    frmDocument *activeDocument() const override;
    frmDocument *CreateDocumentWindow() override;
    void showLoadProgress(int percent) override;

    DocumentCounter &documentCounter() { return DocumentCounter_; }
    frmDocument *latestDocumentWindow() const { return LatestDocumentWindow; }
    QMdiArea *documentArea() const { return mdiArea_; }
    QList<frmDocument *> documents() const;
    Platform &platform() { return platform_; }
    /// The open/save file dialog the File commands use.
    FileDialog &dlgCommonDialog() { return *platform_.fileDialog; }

    /// Window arrangements, as the Window menu's commands use them.
    enum class Arrangement { Cascade = 0, TileHorizontal = 1, TileVertical = 2, Icons = 3 };
    void Arrange(Arrangement arrangement);

    QMenu *mnuFile = nullptr;
    QMenu *mnuEdit = nullptr;
    QMenu *mnuView = nullptr;
    QMenu *mnuWindow = nullptr;
    QMenu *mnuHelp = nullptr;

    QAction *mnuFileNew = nullptr;
    QAction *mnuFileOpen = nullptr;
    QAction *mnuFileClose = nullptr;
    QAction *mnuFileBar1 = nullptr;
    QAction *mnuFileSave = nullptr;
    QAction *mnuFileSaveAs = nullptr;
    QAction *mnuFileBar2 = nullptr;
    QAction *mnuFilePrint = nullptr;
    QAction *mnuFileBar3 = nullptr;
    QAction *mnuFileExit = nullptr;
    QAction *mnuEditCut = nullptr;
    QAction *mnuEditCopy = nullptr;
    QAction *mnuEditPaste = nullptr;
    QAction *mnuModBar1 = nullptr;
    QAction *mnuSelTutto = nullptr;
    QAction *mnuDate = nullptr;
    QAction *mnuViewToolbar = nullptr;
    QAction *mnuViewStatusBar = nullptr;
    QAction *mnuWindowCascade = nullptr;
    QAction *mnuWindowTileHorizontal = nullptr;
    QAction *mnuWindowTileVertical = nullptr;
    QAction *mnuWindowArrangeIcons = nullptr;
    QAction *mnuHelpAbout = nullptr;

    QToolBar *tbToolBar = nullptr;
    QStatusBar *sbStatusBar = nullptr;
    QLabel *statusPanel = nullptr;
    ClockPanel *datePanel = nullptr;
    ClockPanel *timePanel = nullptr;
    QProgressBar *loadProgress = nullptr;

public slots:
    void mnuFileNew_Click();
    void mnuFileOpen_Click();
    void mnuFileClose_Click();
    void mnuFileSave_Click();
    void mnuFileSaveAs_Click();
    void mnuFilePrint_Click();
    void mnuFileExit_Click();
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();
    void mnuSelTutto_Click();
    void mnuDate_Click();
    void mnuViewToolbar_Click();
    void mnuViewStatusBar_Click();
    void mnuWindowCascade_Click();
    void mnuWindowTileHorizontal_Click();
    void mnuWindowTileVertical_Click();
    void mnuWindowArrangeIcons_Click();
    void mnuHelpAbout_Click();
    void tbToolBar_ButtonClick(QAction *Button);

protected:
    bool event(QEvent *event) override;

private:
    void MDIForm_Load();
    void centreOnScreen();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    bool activeDocumentShown() const;
    QAction *addItem(QMenu *menu, const QString &caption, void (frmMain::*slot)(),
                     const QKeySequence &shortcut = {});

    // Declared first: events reach event() while the members below are made.
    bool loaded_ = false;
    bool waitingForFrame_ = false;
    QSize centredOuterSize_;

    Platform platform_;
    QMdiArea *mdiArea_ = nullptr;
    DocumentActivation *activation_ = nullptr;
    std::unique_ptr<WarningMessageBox> warnings_;
    DocumentCounter DocumentCounter_;
    QPointer<frmDocument> LatestDocumentWindow;
    std::unique_ptr<FileCommands> fileCommands_;
    std::unique_ptr<EditCommands> editCommands_;
    std::unique_ptr<PrintCommand> printCommand_;
};
