#include "frmmain.h"

#include "centring.h"
#include "documentactivation.h"
#include "filedrops.h"
#include "findreplace.h"
#include "loadprogress.h"
#include "menutable.h"
#include "statusbar.h"
#include "windowarrangement.h"
#include "windowkeys.h"
#include "windowlist.h"

#include "about/frmabout.h"
#include "document/editcommands.h"
#include "document/filecommands.h"
#include "document/frmdocument.h"
#include "document/loadmemory.h"
#include "document/printcommand.h"
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
    setWindowTitle(QStringLiteral("Vidizizor  V. 1.0"));
    setWindowIcon(Pictures::applicationIcon());
    mdiArea_->setBackground(palette().brush(QPalette::Dark));
    mdiArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea_);
    // The bars offer no menu of their own: only the View menu hides them.
    setContextMenuPolicy(Qt::NoContextMenu);

    // Every message of these commands reports a failure.
    memory_ = std::make_unique<LoadMemory>(*platform_.memory);
    fileCommands_ = std::make_unique<FileCommands>(*this, dlgCommonDialog(), *warnings_);
    fileCommands_->loadSettings().memory = memory_.get();
    editCommands_ = std::make_unique<EditCommands>(*this, *platform_.clock);
    printCommand_ = std::make_unique<PrintCommand>(*this, *platform_.printer, *warnings_);

    createMenus();
    createToolBar();
    sbStatusBar = new StatusBar(*platform_.clock, this);
    setStatusBar(sbStatusBar);
    findReplace_ = new FindReplace(*this, *sbStatusBar, *this);
    loadProgress_ = new LoadProgress(*mdiArea_, *sbStatusBar);
    new WindowKeys(*this, *mdiArea_, *activation_);
    new FileDrops(*this, [this](const QStringList &paths) { OpenFiles(paths); });

    // Client area at design: 7080 x 4635 twips below the menu bar.
    const Twips twips(*this);
    resize(twips.toPixelsX(7080), twips.toPixelsY(4635) + menuBar()->sizeHint().height());
}

frmMain::~frmMain() = default;

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

    struct Button
    {
        const char *key;
        const char *tooltip;
        int picture; // index in the image list, from 1
    };
    const Button buttons[] = {
        {"New", "Nuovo", 1},   {"Open", "Apri", 2},    {"Save", "Salva", 3},
        {nullptr, nullptr, 0}, {"Print", "Stampa", 4}, {nullptr, nullptr, 0},
        {"Cut", "Taglia", 5},  {"Copy", "Copia", 6},   {"Paste", "Incolla", 7}};
    const QSize buttonSize(twips.toPixelsX(360), twips.toPixelsY(330));
    for (const Button &button : buttons) {
        if (!button.key) {
            tbToolBar->addSeparator();
            continue;
        }
        QAction *action = tbToolBar->addAction(Pictures::imlIcons(button.picture),
                                               QString::fromLatin1(button.tooltip));
        action->setData(QString::fromLatin1(button.key));
        action->setToolTip(QString::fromLatin1(button.tooltip));
        if (QWidget *widget = tbToolBar->widgetForAction(action))
            widget->setFixedSize(buttonSize);
    }
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
    const bool mayRecentre = waitingForFrame_ && (type == QEvent::Show || type == QEvent::Move ||
                                                  type == QEvent::Resize);
    const bool handled = QMainWindow::event(event);
    if (mayRecentre && isVisible() && frameGeometry().size() != centredOuterSize_) {
        waitingForFrame_ = false;
        centreOnScreen();
    }
    return handled;
}

frmDocument *frmMain::CreateDocumentWindow()
{
    const std::optional<qint32> number = DocumentCounter_.next();
    if (!number) {
        platform_.messageBox->warn(QStringLiteral(
            "Impossibile creare un nuovo documento: è stato raggiunto il numero massimo di "
            "documenti."));
        return nullptr;
    }
    auto *document = new frmDocument;
    LatestDocumentWindow = document;
    document->setCaption(QStringLiteral("Documento%1").arg(*number));
    QMdiSubWindow *subWindow = mdiArea_->addSubWindow(document);
    subWindow->setAttribute(Qt::WA_DeleteOnClose);
    subWindow->setWindowIcon(windowIcon());
    WindowKeys::prepare(*subWindow);
    activation_->watch(subWindow);
    findReplace_->watch(*document);
    loadProgress_->watch(*document);
    document->guardMemory(*memory_, *warnings_);
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

void frmMain::mnuFileNew_Click()
{
    CreateDocumentWindow();
}
void frmMain::mnuFileOpen_Click()
{
    fileCommands_->Open();
}
DocumentLoad::Settings &frmMain::loadSettings()
{
    return fileCommands_->loadSettings();
}

void frmMain::OpenFiles(const QStringList &paths)
{
    fileCommands_->OpenFiles(paths);
}
void frmMain::mnuFileClose_Click()
{
    fileCommands_->Close();
}
void frmMain::mnuFileSave_Click()
{
    fileCommands_->Save();
}
void frmMain::mnuFileSaveAs_Click()
{
    fileCommands_->SaveAs();
}
void frmMain::mnuFilePrint_Click()
{
    printCommand_->Print();
}

void frmMain::mnuFileExit_Click()
{
    // Everything closes at once; unsaved text is discarded without a question.
    mdiArea_->closeAllSubWindows();
    close();
    QCoreApplication::quit();
}

// A document the user cannot see, minimised as an icon, is never changed.
bool frmMain::activeDocumentShown() const
{
    const QMdiSubWindow *current = mdiArea_->currentSubWindow();
    return current && !current->isMinimized();
}

void frmMain::mnuEditCut_Click()
{
    if (activeDocumentShown())
        editCommands_->Cut();
}

void frmMain::mnuEditCopy_Click()
{
    editCommands_->Copy();
}

void frmMain::mnuEditPaste_Click()
{
    if (activeDocumentShown())
        editCommands_->Paste();
}

void frmMain::mnuSelTutto_Click()
{
    editCommands_->SelectAll();
}

void frmMain::mnuDate_Click()
{
    if (activeDocumentShown())
        editCommands_->InsertTimeAndDate();
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
        CreateDocumentWindow();
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
