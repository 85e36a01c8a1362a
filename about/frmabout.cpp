#include "frmabout.h"

#include "addresslabel.h"
#include "picturebox.h"

#include "platform/announcement.h"
#include "resources/pictures.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <cmath>

namespace {

// The dialog is laid out in twips for a font whose average letter is 90
// twips wide and whose line is 195 twips high (6 x 13 pixels at 96 dots per
// inch). Each twip becomes pixels in proportion to the dialog's own font, so
// the texts keep their room whatever the font and the screen.
constexpr double designLetterWidth = 90.0;
constexpr double designLineHeight = 195.0;
constexpr int clientWidth = 5655;
constexpr int clientHeight = 3630;

struct TwipRect
{
    int left, top, width, height;
};

// Converts a rectangle in twips; both edges are rounded, so neighbours that
// touch in twips touch in pixels.
QRect toPixels(const TwipRect &r, double perTwip)
{
    const auto px = [&](int twips) { return int(std::lround(twips * perTwip)); };
    return QRect(QPoint(px(r.left), px(r.top)),
                 QPoint(px(r.left + r.width) - 1, px(r.top + r.height) - 1));
}

QLabel *makeLabel(QLabel *label, const char *name, const QString &text)
{
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAutoFillBackground(true);
    return label;
}

// Filled with a colour of the palette, so that it follows a light or a dark
// style, and a change of style while it shows.
void fillWith(QWidget *widget, QPalette::ColorRole role)
{
    widget->setAutoFillBackground(true);
    widget->setBackgroundRole(role);
}

QWidget *makeLine(QWidget *parent, QPalette::ColorRole role)
{
    auto *line = new QWidget(parent);
    fillWith(line, role);
    return line;
}

bool labelTextFits(const QLabel *label)
{
    const QRect room = label->contentsRect();
    const QRect needed = label->fontMetrics().boundingRect(
        room, int(label->alignment()) | Qt::TextWordWrap, label->text());
    return needed.width() <= room.width() && needed.height() <= room.height();
}

bool buttonTextFits(const QPushButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.features =
        button->isDefault() ? QStyleOptionButton::DefaultButton : QStyleOptionButton::None;
    const QRect room =
        button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const QRect needed = button->fontMetrics().boundingRect(
        room, Qt::AlignCenter | Qt::TextShowMnemonic, button->text());
    return needed.width() <= room.width() && needed.height() <= room.height();
}

} // namespace

frmAbout::frmAbout(ProcessLauncher &launcher, FileLookup &files, Registry &registry,
                   MessageBox &messages, QWidget *owner)
    // A title and a close box, nothing else: no minimise or maximise box,
    // and the fixed size set below leaves no resizing.
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      sysInfo_(registry, files, launcher, messages), copied_(new Announcement(*this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("Informazioni su Vidizizor  V. 1.0"));
    setModal(true);

    createPicture();
    createButtons();
    createTexts();
    createRule();

    setTabOrder(cmdOK, cmdSysInfo);
    setTabOrder(cmdSysInfo, Label1);
    cmdOK->setFocus();

    Label1->installEventFilter(this);
    if (QWidget *ownerWidget = ownerWindow())
        ownerWidget->installEventFilter(this);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    placeControls();
}

void frmAbout::createPicture()
{
    picIcon = new PictureBox(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setAccessibleName(QStringLiteral("Icona di Vidizizor"));
    // The face of the buttons beside it, as the icon's frame is drawn.
    fillWith(picIcon, QPalette::Button);
    picIcon->setPixmap(Pictures::applicationIcon().pixmap(QSize(32, 32), devicePixelRatioF()));
}

void frmAbout::createButtons()
{
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);

    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
}

void frmAbout::createTexts()
{
    auto *address = new AddressLabel(this);
    connect(address, &AddressLabel::copyRequested, this, &frmAbout::Label1_DblClick);
    Label1 = makeLabel(address, "Label1", QStringLiteral("E-mail : ") + contactAddress());
    // The address keeps its own pair, green on black, which reads the same
    // under any style. The other texts take the style's colours.
    QPalette green = Label1->palette();
    green.setColor(QPalette::WindowText, QColor(0, 255, 0));
    green.setColor(QPalette::Window, QColor(0, 0, 0));
    Label1->setPalette(green);
    Label1->setToolTip(QStringLiteral("Double click per copiare in memoria..."));

    lblDescription = makeLabel(
        new QLabel(this), "lblDescription",
        QStringLiteral("Vidizizor \u00e8 una semplice ed utile applicazione a 32 bit fatta per "
                       "Windows95. Con Vidizizor potrete finalmente usufruire della comodit"
                       "\u00e0 di una piccola applicazione simile a Notepad, con in pi\u00f9 la "
                       "possibilit\u00e0 del MDI (Multiple Document Interface) !"));
    lblTitle = makeLabel(new QLabel(this), "lblTitle", QStringLiteral("Vidizizor  V. 1.0"));
    lblDisclaimer = makeLabel(new QLabel(this), "lblDisclaimer",
                              QStringLiteral("Vidizizor V. 1.0 \u00e8 freeware: pu\u00f2 essere "
                                             "copiato e distribuito liberamente."));
}

// Together the two lines draw an etched rule: the style's shadow above,
// its light below.
void frmAbout::createRule()
{
    Line1[1] = makeLine(this, QPalette::Dark);
    Line1[1]->setObjectName(QStringLiteral("Line1_1"));
    Line1[0] = makeLine(this, QPalette::Light);
    Line1[0]->setObjectName(QStringLiteral("Line1_0"));
    Line1[1]->raise();
}

QString frmAbout::contactAddress()
{
    return QStringLiteral("vz@example.com");
}

void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::cmdSysInfo_Click()
{
    sysInfo_.StartSysInfo();
}

void frmAbout::Label1_DblClick()
{
    QApplication::clipboard()->setText(contactAddress());
    copied_->say(QStringLiteral("Indirizzo copiato in memoria."));
}

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Label1 && event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Label1_DblClick();
        return true;
    }
    if (watched == ownerWindow() && event->type() == QEvent::WindowStateChange && isVisible())
        QMetaObject::invokeMethod(this, &frmAbout::bringBackMinimised, Qt::QueuedConnection);
    return QDialog::eventFilter(watched, event);
}

void frmAbout::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        placeControls();
    else if (event->type() == QEvent::WindowStateChange)
        QMetaObject::invokeMethod(this, &frmAbout::bringBackMinimised, Qt::QueuedConnection);
}

QWidget *frmAbout::ownerWindow() const
{
    return parentWidget() ? parentWidget()->window() : nullptr;
}

// The box offers no minimise button, yet a window manager may still minimise
// it, and the owner with it: the screen would then be left empty with the
// program waiting for the box. Both come back at once.
void frmAbout::bringBackMinimised()
{
    QWidget *owner = ownerWindow();
    const bool ownerHidden = owner && owner->isMinimized();
    if (!isVisible() || (!isMinimized() && !ownerHidden))
        return;
    if (ownerHidden)
        owner->setWindowState(owner->windowState() & ~Qt::WindowMinimized);
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
}

void frmAbout::showEvent(QShowEvent *event)
{
    // Placed before the window appears, so it does not jump.
    if (!event->spontaneous())
        centreOnOwner();
    QDialog::showEvent(event);
}

void frmAbout::centreOnOwner()
{
    const QWidget *owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner)
        return;
    // Before the dialog is first shown its frame is unknown; the owner's
    // frame, drawn by the same window manager, is the best estimate of it.
    const QRect ownerFrame = owner->frameGeometry();
    const QRect ownerClient = owner->geometry();
    const QMargins frame(
        ownerClient.left() - ownerFrame.left(), ownerClient.top() - ownerFrame.top(),
        ownerFrame.right() - ownerClient.right(), ownerFrame.bottom() - ownerClient.bottom());
    const QSize outer = size().grownBy(frame);
    QRect outerRect(QPoint(), outer);
    outerRect.moveCenter(ownerFrame.center());
    // Keep the title bar reachable when the owner is near a screen edge.
    if (const QScreen *screen = owner->screen()) {
        const QRect available = screen->availableGeometry();
        if (outerRect.right() > available.right())
            outerRect.moveRight(available.right());
        if (outerRect.bottom() > available.bottom())
            outerRect.moveBottom(available.bottom());
        if (outerRect.left() < available.left())
            outerRect.moveLeft(available.left());
        if (outerRect.top() < available.top())
            outerRect.moveTop(available.top());
    }
    setGeometry(QRect(outerRect.topLeft() + QPoint(frame.left(), frame.top()), size()));
}

void frmAbout::placeControls()
{
    // One scale for both directions keeps the design's proportions (the icon
    // box stays square). It starts from the dialog font, never below the
    // plain twips of this screen, and grows in small steps until every text
    // fits: fonts differ in shape, not only in size.
    const QFontMetricsF metrics(font());
    const double letterWidth =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                 "abcdefghijklmnopqrstuvwxyz")) /
        52.0;
    double perTwip = std::max({letterWidth / designLetterWidth, metrics.height() / designLineHeight,
                               logicalDpiX() / 1440.0, logicalDpiY() / 1440.0});
    for (int step = 0; step < 40 && !placeControlsAt(perTwip); ++step)
        perTwip *= 1.04;
}

bool frmAbout::placeControlsAt(double perTwip)
{
    const auto place = [&](QWidget *widget, const TwipRect &twips) {
        widget->setGeometry(toPixels(twips, perTwip));
    };
    place(picIcon, {240, 240, 540, 540});
    place(cmdOK, {4245, 2625, 1260, 345});
    place(cmdSysInfo, {4260, 3075, 1245, 345});
    place(Label1, {240, 3120, 1815, 255});
    place(lblDescription, {1050, 840, 3885, 1050});
    place(lblTitle, {1050, 240, 1365, 240});
    place(lblDisclaimer, {120, 2400, 3975, 435});

    // The rule runs from 120 to 5520 twips at 2160; the dark line is one
    // pixel, the light one two, starting on the same row.
    const QRect rule = toPixels({120, 2160, 5400, 0}, perTwip);
    Line1[1]->setGeometry(rule.left(), rule.top(), rule.width(), 1);
    Line1[0]->setGeometry(rule.left(), rule.top(), rule.width(), 2);

    setFixedSize(toPixels({0, 0, clientWidth, clientHeight}, perTwip).size());

    return labelTextFits(lblTitle) && labelTextFits(lblDescription) &&
           labelTextFits(lblDisclaimer) && labelTextFits(Label1) && buttonTextFits(cmdOK) &&
           buttonTextFits(cmdSysInfo);
}
