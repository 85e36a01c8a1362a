#include "frmmain.h"

#include "activationafterdialogs.h"
#include "centring.h"
#include "documentactivation.h"
#include "filedrops.h"
#include "finddialog.h"
#include "formatmenu.h"
#include "formatpanel.h"
#include "frameaccessibility.h"
#include "frontwindow.h"
#include "loadprogress.h"
#include "menutable.h"
#include "statusbar.h"
#include "toolbarbuttons.h"
#include "windowarrangement.h"
#include "windowkeys.h"
#include "windowlist.h"

#include "about/frmabout.h"
#include "document/documentcommands.h"
#include "document/documentjournals.h"
#include "document/frmdocument.h"
#include "platform/twips.h"
#include "platform/warningmessagebox.h"
#include "resources/pictures.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

frmMain::frmMain(Platform platform, QWidget *parent)
    : QMainWindow(parent), platform_(std::move(platform)), mdiArea_(new QMdiArea(this)),
      activation_(new DocumentActivation(*mdiArea_)),
      warnings_(std::make_unique<WarningMessageBox>(*platform_.messageBox))
{
    FrameAccessibility::install();
    setWindowTitle(QStringLiteral("Vidizizor  V. 1.0"));
    setWindowIcon(Pictures::applicationIcon());
    mdiArea_->setBackground(palette().brush(QPalette::Dark));
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);
    // The bars offer no menu of their own: only the View menu hides them.
    setContextMenuPolicy(Qt::NoContextMenu);

    createMenus();
    createToolBar();
    sbStatusBar = new StatusBar(*platform_.clock, this);
    setStatusBar(sbStatusBar);
    // Every message of the document commands reports a failure.
    commands_ = std::make_unique<DocumentCommands>(*this, platform_, *warnings_, *this);
    commands_->setFindForm([this]() -> FindForm & { return findDialog(); });
    loadProgress_ = new LoadProgress(*mdiArea_, *sbStatusBar);
    formatPanel_ = new FormatPanel(*mdiArea_, *new FormatMenu(*commands_, this), sbStatusBar);
    sbStatusBar->addInfoPart(formatPanel_);
    commands_->setFormatMenu(
        [this](QWidget &parent) -> QMenu * { return new FormatMenu(*commands_, &parent); });
    // A document that comes to the front looks at its file.
    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [](QMdiSubWindow *subWindow) {
        if (auto *document = subWindow ? qobject_cast<frmDocument *>(subWindow->widget()) : nullptr)
            document->checkFileOnDisk();
    });
    new WindowKeys(*this, *mdiArea_, *activation_);
    new ActivationAfterDialogs(*this);
    new FileDrops(*this, [this](const QStringList &paths) {
        bringToFront(*this);
        OpenFiles(paths);
    });

    // Client area at design: 7080 x 4635 twips below the menu bar.
    const Twips twips(*this);
    resize(twips.toPixelsX(7080), twips.toPixelsY(4635) + menuBar()->sizeHint().height());
}

// The documents go first, their journals with them: closing the main
// window is an end the person chose. The journals' thread ends after.
frmMain::~frmMain()
{
    for (QMdiSubWindow *subWindow : mdiArea_->subWindowList())
        delete subWindow;
}

void frmMain::keepJournals(const QString &folder)
{
    journals_ = std::make_unique<DocumentJournals>(folder);
    connect(journals_.get(), &DocumentJournals::troubleNoted, this, &frmMain::showLastingNote);
    connect(journals_.get(), &DocumentJournals::troubleOver, this, &frmMain::withdrawNote);
    commands_->keepJournals(*journals_);
}

void frmMain::recoverJournals()
{
    commands_->recoverJournals();
}

FindDialog &frmMain::findDialog()
{
    if (!findDialog_) {
        findDialog_ = new FindDialog(this);
        const auto runs = [this](DocumentCommand command) {
            return [this, command] { commands_->run(command); };
        };
        connect(findDialog_, &FindDialog::findNext, this, runs(DocumentCommand::FindNext));
        connect(findDialog_, &FindDialog::findPrevious, this, runs(DocumentCommand::FindPrevious));
        connect(findDialog_, &FindDialog::replace, this, runs(DocumentCommand::ReplaceOne));
        connect(findDialog_, &FindDialog::replaceAll, this, runs(DocumentCommand::ReplaceAll));
        connect(findDialog_, &FindDialog::closed, this, [this] { commands_->findFormClosed(); });
    }
    return *findDialog_;
}

void frmMain::createMenus()
{
    using K = QKeySequence;
    QMenuBar &bar = *menuBar();
    addMenu<frmMain>(
        bar, *this, "mnuFile", "&File",
        {{"mnuFileNew", "Nu&ovo", &frmMain::mnuFileNew_Click, K(Qt::CTRL | Qt::Key_N)},
         {"mnuFileOpen", "&Apri", &frmMain::mnuFileOpen_Click, K(Qt::CTRL | Qt::Key_O)},
         {"mnuFileClose", "&Chiudi", &frmMain::mnuFileClose_Click},
         {"mnuFileBar1", "-"},
         {"mnuFileSave", "&Salva", &frmMain::mnuFileSave_Click, K(Qt::CTRL | Qt::Key_S)},
         {"mnuFileSaveAs", "Sal&va con nome...", &frmMain::mnuFileSaveAs_Click},
         {"mnuFileBar2", "-"},
         {"mnuFilePrint", "S&tampa...", &frmMain::mnuFilePrint_Click, K(Qt::CTRL | Qt::Key_P)},
         {"mnuFileBar3", "-"},
         {"mnuFileExit", "&Esci", &frmMain::mnuFileExit_Click}});
    addMenu<frmMain>(
        bar, *this, "mnuEdit", "&Modifica",
        {{"mnuEditCut", "&Taglia", &frmMain::mnuEditCut_Click, K(Qt::CTRL | Qt::Key_X)},
         {"mnuEditCopy", "&Copia", &frmMain::mnuEditCopy_Click, K(Qt::CTRL | Qt::Key_C)},
         {"mnuEditPaste", "&Incolla", &frmMain::mnuEditPaste_Click, K(Qt::CTRL | Qt::Key_V)},
         {"mnuModBar1", "-"},
         {"mnuSelTutto", "&Seleziona Tutto", &frmMain::mnuSelTutto_Click},
         {"mnuDate", "Ora/&Data", &frmMain::mnuDate_Click, K(Qt::Key_F5)}});
    addMenu<frmMain>(
        bar, *this, "mnuView", "&Visualizza",
        {{"mnuViewToolbar", "Barra degli &strumenti", &frmMain::mnuViewToolbar_Click, {}, true},
         {"mnuViewStatusBar", "&Barra di stato", &frmMain::mnuViewStatusBar_Click, {}, true}});
    QMenu *window = addMenu<frmMain>(
        bar, *this, "mnuWindow", "Fi&nestra",
        {{"mnuWindowCascade", "&Sovrapponi", &frmMain::mnuWindowCascade_Click},
         {"mnuWindowTileHorizontal", "Affianca &orizzontalmente",
          &frmMain::mnuWindowTileHorizontal_Click},
         {"mnuWindowTileVertical", "Affianca &verticalmente",
          &frmMain::mnuWindowTileVertical_Click},
         {"mnuWindowArrangeIcons", "&Disponi icone", &frmMain::mnuWindowArrangeIcons_Click}});
    new WindowList(*window, *mdiArea_, *activation_);
    addMenu<frmMain>(
        bar, *this, "mnuHelp", "&?",
        {{"mnuHelpAbout", "&Informazioni su Vidizizor...", &frmMain::mnuHelpAbout_Click}});
}

void frmMain::createToolBar()
{
    // The title is the toolbar's name for assistive technology; each button
    // is named by its tooltip.
    tbToolBar = addToolBar(QStringLiteral("Barra degli strumenti"));
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setFloatable(false);
    tbToolBar->toggleViewAction()->setVisible(false);
    tbToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const Twips twips(*this);
    tbToolBar->setIconSize(QSize(twips.toPixelsX(240), twips.toPixelsY(240)));

    addToolBarButtons(*tbToolBar);
    connect(tbToolBar, &QToolBar::actionTriggered, this, &frmMain::tbToolBar_ButtonClick);
}

void frmMain::Show()
{
    show();
}

// The first showing, whichever call asks for it, loads the window before it
// appears.
void frmMain::setVisible(bool visible)
{
    if (visible && !loaded_) {
        loaded_ = true;
        waitingForFrame_ = true;
        MDIForm_Load();
    }
    QMainWindow::setVisible(visible);
}

void frmMain::MDIForm_Load()
{
    centreOnScreen();
    CreateDocumentWindow();
}

// Centres by the outer size (frame, caption and menu bar included), in twips.
// Before the window is first shown the window manager has not told the size of
// its frame yet; centreOnScreen runs again once it has.
void frmMain::centreOnScreen()
{
    const QRect screenArea = screen()->geometry();
    const Twips twips(*this);
    centredOuterSize_ = frameGeometry().size();
    const float left = centredOffset(twips.fromPixelsX(screenArea.width()),
                                     twips.fromPixelsX(centredOuterSize_.width()));
    move(screenArea.x() + twips.toPixelsX(left), frameGeometry().y());
    const float top = centredOffset(twips.fromPixelsY(screenArea.height()),
                                    twips.fromPixelsY(centredOuterSize_.height()));
    move(frameGeometry().x(), screenArea.y() + twips.toPixelsY(top));
}

bool frmMain::event(QEvent *event)
{
    // Decide before handling: handling a deferred delete destroys the window.
    const QEvent::Type type = event->type();
    // The status bar shows no message, which would hide "Stato": a status
    // tip is dropped.
    if (type == QEvent::StatusTip)
        return true;
    // Coming back from another program: the file it may have changed is
    // looked at, for the file systems that tell nothing.
    if (type == QEvent::WindowActivate)
        if (frmDocument *document = activeDocument())
            document->checkFileOnDisk();
    const bool mayRecentre = waitingForFrame_ && (type == QEvent::Show || type == QEvent::Move ||
                                                  type == QEvent::Resize);
    const bool handled = QMainWindow::event(event);
    if (type == QEvent::PaletteChange) // the style's colours, also once changed
        mdiArea_->setBackground(palette().brush(QPalette::Dark));
    if (mayRecentre && isVisible() && frameGeometry().size() != centredOuterSize_) {
        waitingForFrame_ = false;
        centreOnScreen();
    }
    return handled;
}

std::optional<QString> frmMain::nextDocumentTitle()
{
    const std::optional<qint32> number = DocumentCounter_.next();
    if (!number)
        return std::nullopt;
    return QStringLiteral("Documento%1").arg(*number);
}

frmDocument *frmMain::CreateDocumentWindow()
{
    return CreatePreparedDocumentWindow({});
}

frmDocument *
frmMain::CreatePreparedDocumentWindow(const std::function<void(frmDocument &)> &prepare)
{
    const std::optional<QString> title = nextDocumentTitle();
    if (!title) {
        platform_.messageBox->warn(QStringLiteral(
            "Impossibile creare un nuovo documento: è stato raggiunto il numero massimo di "
            "documenti."));
        return nullptr;
    }
    auto *document = new frmDocument;
    LatestDocumentWindow = document;
    document->setCaption(*title);
    QMdiSubWindow *subWindow = mdiArea_->addSubWindow(document);
    subWindow->setAttribute(Qt::WA_DeleteOnClose);
    subWindow->setWindowIcon(windowIcon());
    WindowKeys::prepare(*subWindow);
    activation_->watch(subWindow);
    commands_->watch(*document);
    loadProgress_->watch(*document);
    formatPanel_->watch(*document);
    if (prepare)
        prepare(*document);
    subWindow->show();
    mdiArea_->setActiveSubWindow(subWindow);
    document->setFocus();
    return document;
}

frmDocument *frmMain::activeDocument() const
{
    // The current sub-window stays current while a modal dialog has the focus.
    QMdiSubWindow *current = mdiArea_->currentSubWindow();
    return current ? qobject_cast<frmDocument *>(current->widget()) : nullptr;
}

QList<frmDocument *> frmMain::documents() const
{
    QList<frmDocument *> result;
    for (QMdiSubWindow *subWindow : mdiArea_->subWindowList())
        if (auto *document = qobject_cast<frmDocument *>(subWindow->widget()))
            result << document;
    return result;
}

void frmMain::showNote(const QString &text)
{
    sbStatusBar->showNote(text);
}
void frmMain::showLastingNote(const QString &text)
{
    sbStatusBar->showLastingNote(text);
}
void frmMain::withdrawNote(const QString &text)
{
    sbStatusBar->withdrawNote(text);
}

void frmMain::mnuFileNew_Click()
{
    commands_->run(DocumentCommand::New);
}
void frmMain::mnuFileOpen_Click()
{
    commands_->run(DocumentCommand::Open);
}
LoadSettings &frmMain::loadSettings()
{
    return commands_->loadSettings();
}

void frmMain::OpenFiles(const QStringList &paths)
{
    commands_->OpenFiles(paths);
}
void frmMain::mnuFileClose_Click()
{
    commands_->run(DocumentCommand::Close);
}
void frmMain::mnuFileSave_Click()
{
    commands_->run(DocumentCommand::Save);
}
void frmMain::mnuFileSaveAs_Click()
{
    commands_->run(DocumentCommand::SaveAs);
}
void frmMain::mnuFilePrint_Click()
{
    commands_->run(DocumentCommand::Print);
}

void frmMain::mnuFileExit_Click()
{
    // Everything closes at once; unsaved text is discarded without a question.
    mdiArea_->closeAllSubWindows();
    close();
    QCoreApplication::quit();
}

void frmMain::mnuEditCut_Click()
{
    commands_->run(DocumentCommand::Cut);
}
void frmMain::mnuEditCopy_Click()
{
    commands_->run(DocumentCommand::Copy);
}
void frmMain::mnuEditPaste_Click()
{
    commands_->run(DocumentCommand::Paste);
}
void frmMain::mnuSelTutto_Click()
{
    commands_->run(DocumentCommand::SelectAll);
}
void frmMain::mnuDate_Click()
{
    commands_->run(DocumentCommand::TimeAndDate);
}

// Each View command decides from its own check mark only, never from the
// bar's visibility.
static void toggleBarByMark(QAction *item, QWidget *bar)
{
    if (item->isChecked()) {
        bar->setVisible(false);
        item->setChecked(false);
    } else {
        bar->setVisible(true);
        item->setChecked(true);
    }
}

void frmMain::mnuViewToolbar_Click()
{
    toggleBarByMark(findChild<QAction *>(QStringLiteral("mnuViewToolbar")), tbToolBar);
}
void frmMain::mnuViewStatusBar_Click()
{
    toggleBarByMark(findChild<QAction *>(QStringLiteral("mnuViewStatusBar")), sbStatusBar);
}

void frmMain::mnuWindowCascade_Click()
{
    Arrange(WindowArrangement::Cascade);
}
void frmMain::mnuWindowTileHorizontal_Click()
{
    Arrange(WindowArrangement::TileHorizontal);
}
void frmMain::mnuWindowTileVertical_Click()
{
    Arrange(WindowArrangement::TileVertical);
}
void frmMain::mnuWindowArrangeIcons_Click()
{
    Arrange(WindowArrangement::Icons);
}

void frmMain::Arrange(WindowArrangement arrangement)
{
    arrangeSubWindows(*mdiArea_, arrangement);
}

void frmMain::mnuHelpAbout_Click()
{
    frmAbout about(*platform_.launcher, *platform_.fileLookup, *platform_.registry,
                   *platform_.messageBox, this);
    about.exec();
}

void frmMain::tbToolBar_ButtonClick(QAction *Button)
{
    if (!Button)
        return;
    const QString key = Button->data().toString();
    if (key == u"New")
        mnuFileNew_Click();
    else if (key == u"Open")
        mnuFileOpen_Click();
    else if (key == u"Save")
        mnuFileSave_Click();
    else if (key == u"Print")
        mnuFilePrint_Click();
    else if (key == u"Cut")
        mnuEditCut_Click();
    else if (key == u"Copy")
        mnuEditCopy_Click();
    else if (key == u"Paste")
        mnuEditPaste_Click();
}
