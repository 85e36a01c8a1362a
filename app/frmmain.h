#pragma once

#include "documentcounter.h"
#include "windowarrangement.h"

#include "document/documenthost.h"
#include "document/frmdocument.h"
#include "platform/platform.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class DocumentActivation;
class DocumentCommands;
class DocumentJournals;
class FindDialog;
class FormatPanel;
class LoadProgress;
class StatusBar;
class QAction;
class QMdiArea;
class QToolBar;
class WarningMessageBox;
class frmDocument;
struct LoadSettings;

/// The main window: menus, toolbar and status bar around the area that holds
/// the document windows. It lays out and routes; every command's work is
/// done in document/ (DocumentCommands) or about/.
class frmMain : public QMainWindow, public DocumentHost
{
    Q_OBJECT

public:
    explicit frmMain(Platform platform, QWidget *parent = nullptr);
    ~frmMain() override;

    /// Shows the window, as show() does.
    void Show();
    /// The first showing loads the window: it centres itself and opens the
    /// first document before it appears.
    void setVisible(bool visible) override;

    frmDocument *activeDocument() const override;
    frmDocument *CreateDocumentWindow() override;
    frmDocument *
    CreatePreparedDocumentWindow(const std::function<void(frmDocument &)> &prepare) override;
    std::optional<QString> nextDocumentTitle() override;
    void showNote(const QString &text) override;
    void showLastingNote(const QString &text) override;
    void withdrawNote(const QString &text) override;

    DocumentCounter &documentCounter() { return DocumentCounter_; }
    frmDocument *latestDocumentWindow() const { return LatestDocumentWindow; }
    QMdiArea *documentArea() const { return mdiArea_; }
    QList<frmDocument *> documents() const;
    Platform &platform() { return platform_; }
    /// The find and replace dialog for every document, made the first time
    /// it is asked for.
    FindDialog &findDialog();
    /// The open/save file dialog the File commands use.
    FileDialog &dlgCommonDialog() { return *platform_.fileDialog; }

    /// How the File commands read files into the documents.
    LoadSettings &loadSettings();

    /// Opens each file as the Open command opens the path chosen in its
    /// dialog, the last one in front.
    void OpenFiles(const QStringList &paths);

    /// Keeps a journal of the unsaved edits of every document made from now
    /// on, in folder, so that an end the person did not choose loses none
    /// of them; before the window is first shown, Documento1 included.
    void keepJournals(const QString &folder);
    /// The journals, when they are kept.
    DocumentJournals *journals() const { return journals_.get(); }
    /// Opens the documents whose journals ended programs left behind.
    void recoverJournals();

    /// Arranges the document windows, as the Window menu's commands do.
    void Arrange(WindowArrangement arrangement);

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

    // Declared first: events reach event() while the members below are made.
    bool loaded_ = false;
    bool waitingForFrame_ = false;
    QSize centredOuterSize_;

    Platform platform_;
    /// Made before the documents and gone after them (see ~frmMain).
    std::unique_ptr<DocumentJournals> journals_;
    QMdiArea *mdiArea_ = nullptr;
    QToolBar *tbToolBar = nullptr;
    StatusBar *sbStatusBar = nullptr;
    DocumentActivation *activation_ = nullptr;
    std::unique_ptr<WarningMessageBox> warnings_;
    DocumentCounter DocumentCounter_;
    QPointer<frmDocument> LatestDocumentWindow;
    std::unique_ptr<DocumentCommands> commands_;
    QPointer<FindDialog> findDialog_;
    LoadProgress *loadProgress_ = nullptr;
    FormatPanel *formatPanel_ = nullptr;
};
