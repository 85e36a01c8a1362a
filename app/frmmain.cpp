#include "frmmain.h"

#include "centring.h"
#include "clockpanel.h"
#include "documentactivation.h"
#include "windowarrangement.h"
#include "windowkeys.h"
#include "windowlist.h"

#include "about/frmabout.h"
#include "document/editcommands.h"
#include "document/filecommands.h"
#include "document/frmdocument.h"
#include "document/printcommand.h"
#include "platform/plaintextbox.h"
#include "platform/twips.h"
#include "platform/warningmessagebox.h"
#include "resources/pictures.h"

#include <QApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
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

    // Every message of these commands reports a failure.
    fileCommands_ = std::make_unique<FileCommands>(*this, dlgCommonDialog(), *warnings_);
    editCommands_ = std::make_unique<EditCommands>(*this, *platform_.clock);
    printCommand_ = std::make_unique<PrintCommand>(*this, *platform_.printer, *warnings_);

    createMenus();
    createToolBar();
    createStatusBar();
    new WindowKeys(*this, *mdiArea_, *activation_);

    // Client area at design: 7080 x 4635 twips below the menu bar.
    const Twips twips(*this);
    resize(twips.toPixelsX(7080), twips.toPixelsY(4635) + menuBar()->sizeHint().height());
}

frmMain::~frmMain() = default;

QAction *frmMain::addItem(QMenu *menu, const QString &caption, void (frmMain::*slot)(),
                          const QKeySequence &shortcut)
{
    QAction *action = menu->addAction(caption);
    action->setShortcut(shortcut);
    // The application's commands win over any widget's own shortcut.
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

void frmMain::createMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFileNew = addItem(mnuFile, QStringLiteral("Nu&ovo"), &frmMain::mnuFileNew_Click,
                         QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuFileOpen = addItem(mnuFile, QStringLiteral("&Apri"), &frmMain::mnuFileOpen_Click,
                          QKeySequence(Qt::CTRL | Qt::Key_O));
    mnuFileClose = addItem(mnuFile, QStringLiteral("&Chiudi"), &frmMain::mnuFileClose_Click);
    mnuFileBar1 = mnuFile->addSeparator();
    mnuFileSave = addItem(mnuFile, QStringLiteral("&Salva"), &frmMain::mnuFileSave_Click,
                          QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuFileSaveAs =
        addItem(mnuFile, QStringLiteral("Sal&va con nome..."), &frmMain::mnuFileSaveAs_Click);
    mnuFileBar2 = mnuFile->addSeparator();
    mnuFilePrint = addItem(mnuFile, QStringLiteral("S&tampa..."), &frmMain::mnuFilePrint_Click,
                           QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuFileBar3 = mnuFile->addSeparator();
    mnuFileExit = addItem(mnuFile, QStringLiteral("&Esci"), &frmMain::mnuFileExit_Click);

    mnuEdit = menuBar()->addMenu(QStringLiteral("&Modifica"));
    mnuEditCut = addItem(mnuEdit, QStringLiteral("&Taglia"), &frmMain::mnuEditCut_Click,
                         QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuEditCopy = addItem(mnuEdit, QStringLiteral("&Copia"), &frmMain::mnuEditCopy_Click,
                          QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuEditPaste = addItem(mnuEdit, QStringLiteral("&Incolla"), &frmMain::mnuEditPaste_Click,
                           QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuModBar1 = mnuEdit->addSeparator();
    mnuSelTutto = addItem(mnuEdit, QStringLiteral("&Seleziona Tutto"), &frmMain::mnuSelTutto_Click);
    mnuDate = addItem(mnuEdit, QStringLiteral("Ora/&Data"), &frmMain::mnuDate_Click,
                      QKeySequence(Qt::Key_F5));

    mnuView = menuBar()->addMenu(QStringLiteral("&Visualizza"));
    mnuViewToolbar = mnuView->addAction(QStringLiteral("Barra degli &strumenti"));
    mnuViewStatusBar = mnuView->addAction(QStringLiteral("&Barra di stato"));
    const std::pair<QAction *, void (frmMain::*)()> viewItems[] = {
        {mnuViewToolbar, &frmMain::mnuViewToolbar_Click},
        {mnuViewStatusBar, &frmMain::mnuViewStatusBar_Click}};
    for (const auto &[item, handler] : viewItems) {
        item->setCheckable(true);
        item->setChecked(true);
        // A click flips a checkable item before it reports the click; put the
        // mark back so that the command reads the mark the user saw.
        connect(item, &QAction::triggered, this, [this, item, handler](bool flipped) {
            item->setChecked(!flipped);
            (this->*handler)();
        });
    }

    mnuWindow = menuBar()->addMenu(QStringLiteral("Fi&nestra"));
    mnuWindowCascade =
        addItem(mnuWindow, QStringLiteral("&Sovrapponi"), &frmMain::mnuWindowCascade_Click);
    mnuWindowTileHorizontal = addItem(mnuWindow, QStringLiteral("Affianca &orizzontalmente"),
                                      &frmMain::mnuWindowTileHorizontal_Click);
    mnuWindowTileVertical = addItem(mnuWindow, QStringLiteral("Affianca &verticalmente"),
                                    &frmMain::mnuWindowTileVertical_Click);
    mnuWindowArrangeIcons = addItem(mnuWindow, QStringLiteral("&Disponi icone"),
                                    &frmMain::mnuWindowArrangeIcons_Click);
    new WindowList(*mnuWindow, *mdiArea_, *activation_);

    mnuHelp = menuBar()->addMenu(QStringLiteral("&?"));
    mnuHelpAbout = addItem(mnuHelp, QStringLiteral("&Informazioni su Vidizizor..."),
                           &frmMain::mnuHelpAbout_Click);
}

void frmMain::createToolBar()
{
    tbToolBar = addToolBar(QStringLiteral("tbToolBar"));
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setFloatable(false);
    tbToolBar->toggleViewAction()->setVisible(false);
    tbToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    setContextMenuPolicy(Qt::NoContextMenu);
    const Twips twips(*this);
    tbToolBar->setIconSize(QSize(twips.toPixelsX(240), twips.toPixelsY(240)));

    struct Button
    {
        const char *key;
        const char *tooltip;
        int picture; // index in the image list, from 1
    };
    const Button buttons[] = {{"New", "Nuovo", 1},     {"Open", "Apri", 2},    {"Save", "Salva", 3},
                              {nullptr, nullptr, 0},   {"Print", "Stampa", 4}, {nullptr, nullptr, 0},
                              {"Cut", "Taglia", 5},    {"Copy", "Copia", 6},   {"Paste", "Incolla", 7}};
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

void frmMain::createStatusBar()
{
    sbStatusBar = statusBar();
    sbStatusBar->setSizeGripEnabled(true);
    const int minimumWidth = Twips(*this).toPixelsX(1440);
    statusPanel = new QLabel(QStringLiteral("Stato"), sbStatusBar);
    statusPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusPanel->setMinimumWidth(minimumWidth);
    datePanel = new ClockPanel(ClockPanel::Shows::Date, *platform_.clock, sbStatusBar);
    timePanel = new ClockPanel(ClockPanel::Shows::Time, *platform_.clock, sbStatusBar);
    loadProgress = new QProgressBar(sbStatusBar);
    loadProgress->setRange(0, 100);
    loadProgress->setMaximumWidth(Twips(*this).toPixelsX(2400));
    loadProgress->hide();
    sbStatusBar->addWidget(statusPanel, 1);
    sbStatusBar->addWidget(loadProgress);
    sbStatusBar->addPermanentWidget(datePanel);
    sbStatusBar->addPermanentWidget(timePanel);
}

void frmMain::Show()
{
    if (!loaded_) {
        loaded_ = true;
        waitingForFrame_ = true;
        MDIForm_Load();
    }
    show();
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
    const bool mayRecentre =
        waitingForFrame_ && (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize);
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
    subWindow->show();
    mdiArea_->setActiveSubWindow(subWindow);
    document->txtText->setFocus();
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

void frmMain::showLoadProgress(int percent)
{
    loadProgress->setVisible(percent >= 0);
    if (percent >= 0)
        loadProgress->setValue(percent);
}

void frmMain::mnuFileNew_Click() { CreateDocumentWindow(); }
void frmMain::mnuFileOpen_Click() { fileCommands_->Open(); }
void frmMain::mnuFileClose_Click() { fileCommands_->Close(); }
void frmMain::mnuFileSave_Click() { fileCommands_->Save(); }
void frmMain::mnuFileSaveAs_Click() { fileCommands_->SaveAs(); }
void frmMain::mnuFilePrint_Click() { printCommand_->Print(); }

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

void frmMain::mnuEditCopy_Click() { editCommands_->Copy(); }

void frmMain::mnuEditPaste_Click()
{
    if (activeDocumentShown())
        editCommands_->Paste();
}

void frmMain::mnuSelTutto_Click() { editCommands_->SelectAll(); }

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

void frmMain::mnuViewToolbar_Click() { toggleBarByMark(mnuViewToolbar, tbToolBar); }
void frmMain::mnuViewStatusBar_Click() { toggleBarByMark(mnuViewStatusBar, sbStatusBar); }

void frmMain::mnuWindowCascade_Click() { Arrange(Arrangement::Cascade); }
void frmMain::mnuWindowTileHorizontal_Click() { Arrange(Arrangement::TileHorizontal); }
void frmMain::mnuWindowTileVertical_Click() { Arrange(Arrangement::TileVertical); }
void frmMain::mnuWindowArrangeIcons_Click() { Arrange(Arrangement::Icons); }

void frmMain::Arrange(Arrangement arrangement)
{
    arrangeSubWindows(*mdiArea_, arrangement == Arrangement::Cascade ? WindowArrangement::Cascade
                                 : arrangement == Arrangement::TileHorizontal
                                     ? WindowArrangement::TileHorizontal
                                 : arrangement == Arrangement::TileVertical
                                     ? WindowArrangement::TileVertical
                                     : WindowArrangement::Icons);
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
