#include "mainwindowfixture.h"
#include "tests/support/screenreader.h"

#include "about/frmabout.h"
#include "about/picturebox.h"
#include "resources/pictures.h"
#include "tests/support/fakefilelookup.h"
#include "tests/support/fakemessagebox.h"
#include "tests/support/fakeprocesslauncher.h"
#include "tests/support/fakeregistry.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHelpEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <functional>

#include <memory>

namespace {

const QString toolPath = QStringLiteral("C:\\WINDOWS\\MSINFO\\MSINFO32.EXE");
const QString unavailable =
    QStringLiteral("Informazioni di sistema non disponibili in questo momento");

// An About box over an owner window, with the services as doubles.
struct AboutFixture
{
    AboutFixture()
    {
        owner.setWindowTitle(QStringLiteral("owner"));
        owner.setGeometry(100, 60, 620, 460);
        dialog = std::make_unique<frmAbout>(launcher, files, registry, messages, &owner);
    }

    void installTool()
    {
        registry.setString("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                           toolPath.toLatin1());
    }

    // Shows the dialog without a nested loop, as the user would see it.
    bool showActive()
    {
        owner.show();
        dialog->show();
        return QTest::qWaitForWindowActive(dialog.get());
    }

    FakeRegistry registry;
    FakeFileLookup files;
    FakeProcessLauncher launcher;
    FakeMessageBox messages;
    QWidget owner;
    std::unique_ptr<frmAbout> dialog;
};

// The controls that are placed on the dialog, by name.
QList<QWidget *> controls(const frmAbout &d)
{
    return {d.picIcon,  d.cmdOK,    d.cmdSysInfo, d.Label1,       d.lblDescription,
            d.lblTitle, d.Line1[1], d.Line1[0],   d.lblDisclaimer};
}

QList<QLabel *> labels(const frmAbout &d)
{
    return {d.lblTitle, d.lblDescription, d.lblDisclaimer, d.Label1};
}

QString withoutMnemonic(QString text)
{
    return text.remove(QLatin1Char('&'));
}

QRgb pixel(const QImage &image, const QWidget *control, QPoint inControl)
{
    return image.pixel(control->mapTo(control->window(), inControl));
}

// How far the pixel of a control furthest in lightness from a colour is.
int furthestFrom(const QImage &image, const QWidget *control, const QColor &colour)
{
    int result = 0;
    const QRect area(control->mapTo(control->window(), QPoint()), control->size());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            result = std::max(result,
                              std::abs(QColor(image.pixel(x, y)).lightness() - colour.lightness()));
    return result;
}

bool showsPureGreen(const QImage &image, const QWidget *control)
{
    const QRect area(control->mapTo(control->window(), QPoint()), control->size());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixel(x, y) == qRgb(0, 255, 0))
                return true;
    return false;
}

// What a label leaves out of its text, as drawn: the label is drawn again,
// as wide but with room to spare below, and must show the same, with nothing
// drawn beyond its own height. Empty when the text shows whole.
QString cutOff(QLabel &label)
{
    QLabel roomy;
    roomy.setFont(label.font());
    roomy.setPalette(label.palette());
    roomy.setAutoFillBackground(label.autoFillBackground());
    roomy.setTextFormat(label.textFormat());
    roomy.setWordWrap(label.wordWrap());
    roomy.setAlignment(label.alignment());
    roomy.setText(label.text());
    roomy.resize(label.width(), label.height() + 10 * label.fontMetrics().height());
    const QImage drawn = label.grab().toImage();
    const QImage whole = roomy.grab().toImage();
    if (whole.copy(QRect(QPoint(), drawn.size())) != drawn)
        return QStringLiteral("drawn differently with more room");
    const QRgb background = whole.pixel(whole.width() - 1, whole.height() - 1);
    for (int y = drawn.height(); y < whole.height(); ++y)
        for (int x = 0; x < whole.width(); ++x)
            if (whole.pixel(x, y) != background)
                return QStringLiteral("text below its bottom edge, from row %1").arg(y);
    return {};
}

enum class Closing { Enter, Return, Escape, ClickOK, SpaceOnOK, EnterOnIcon, CloseBox };
enum class Press { Click, AltS };

} // namespace

Q_DECLARE_METATYPE(Closing)
Q_DECLARE_METATYPE(Press)

// The About box: its fixed texts, a layout that keeps every text whole at
// any font, the keys and the focus order, and the copy of the address.
class TestAbout : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void texts_data();
    void texts();
    void toolTipOnTheAddress();
    void colours_data();
    void colours();
    void showsTheApplicationIcon();
    void window();
    void minimisedComesBackWithItsOwner_data();
    void minimisedComesBackWithItsOwner();
    void centredOnOwner_data();
    void centredOnOwner();
    void everyTextWhole_data();
    void everyTextWhole();
    void growsWithTheFont();
    void closing_data();
    void closing();
    void focusOrder();
    void addressShowsItsFocus();
    void copiesTheAddress_data();
    void copiesTheAddress();
    void singleClickDoesNothing();
    void systemInfoKeepsTheDialogOpen_data();
    void systemInfoKeepsTheDialogOpen();
    void helpMenuShowsAFreshModalBox();

private:
    QFont defaultFont_;
};

void TestAbout::init()
{
    defaultFont_ = QApplication::font();
}

void TestAbout::cleanup()
{
    QApplication::setFont(defaultFont_);
    QToolTip::hideText();
}

void TestAbout::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    QTest::newRow("caption") << QStringLiteral("frmAbout")
                             << QStringLiteral("Informazioni su Vidizizor  V. 1.0");
    QTest::newRow("title") << QStringLiteral("lblTitle") << QStringLiteral("Vidizizor  V. 1.0");
    QTest::newRow("description")
        << QStringLiteral("lblDescription")
        << QStringLiteral("Vidizizor è una semplice ed utile applicazione a 32 bit fatta per "
                          "Windows95. Con Vidizizor potrete finalmente usufruire della comodità "
                          "di una piccola applicazione simile a Notepad, con in più la possibilità "
                          "del MDI (Multiple Document Interface) !");
    QTest::newRow("disclaimer")
        << QStringLiteral("lblDisclaimer")
        << QStringLiteral(
               "Vidizizor V. 1.0 è freeware: può essere copiato e distribuito liberamente.");
    QTest::newRow("address") << QStringLiteral("Label1")
                             << QStringLiteral("E-mail : ") + frmAbout::contactAddress();
    QTest::newRow("OK") << QStringLiteral("cmdOK") << QStringLiteral("OK");
    QTest::newRow("System Info") << QStringLiteral("cmdSysInfo")
                                 << QStringLiteral("&System Info...");
}

void TestAbout::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);

    AboutFixture f;
    QWidget *widget = name == u"frmAbout" ? f.dialog.get() : f.dialog->findChild<QWidget *>(name);
    QVERIFY(widget);
    if (auto *label = qobject_cast<QLabel *>(widget))
        QCOMPARE(label->text(), text);
    else if (auto *button = qobject_cast<QPushButton *>(widget))
        QCOMPARE(button->text(), text);
    else
        QCOMPARE(widget->windowTitle(), text);

    if (name == u"lblDescription")
        QCOMPARE(text.size(), 246);
    if (auto *label = qobject_cast<QLabel *>(widget)) {
        // Shown as written: no markup, wrapped at words, no mnemonic.
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QVERIFY(label->wordWrap());
        // Only the address takes the focus, to be copied from the keyboard.
        QCOMPARE(label->focusPolicy(), name == u"Label1" ? Qt::TabFocus : Qt::NoFocus);
    }
}

void TestAbout::toolTipOnTheAddress()
{
    AboutFixture f;
    QVERIFY(f.showActive());
    QLabel *label = f.dialog->Label1;
    const QPoint at = label->rect().center();
    QHelpEvent hover(QEvent::ToolTip, at, label->mapToGlobal(at));
    QApplication::sendEvent(label, &hover);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("Double click per copiare in memoria..."));
}

void TestAbout::colours_data()
{
    QTest::addColumn<QPalette>("palette");
    QTest::newRow("the style's own") << QApplication::palette();
    QPalette dark(QColor(53, 53, 53), QColor(42, 42, 42));
    dark.setColor(QPalette::WindowText, QColor(238, 238, 236));
    dark.setColor(QPalette::ButtonText, QColor(238, 238, 236));
    QTest::newRow("a dark one") << dark;
}

// The texts read under a light and a dark style alike: each in the style's
// colours but the address, whose green on black reads under any. The icon
// box and the rule take theirs from the style too.
void TestAbout::colours()
{
    QFETCH(QPalette, palette);
    AboutFixture f;
    frmAbout &d = *f.dialog;
    d.setPalette(palette);
    const QImage image = d.grab().toImage();

    QCOMPARE(pixel(image, d.Label1, {d.Label1->width() - 1, d.Label1->height() - 1}),
             qRgb(0, 0, 0));
    QVERIFY(showsPureGreen(image, d.Label1));

    const QColor window = palette.color(QPalette::Window);
    for (const QLabel *label : {d.lblTitle, d.lblDescription, d.lblDisclaimer}) {
        QCOMPARE(pixel(image, label, {label->width() - 1, label->height() - 1}), window.rgb());
        QVERIFY2(furthestFrom(image, label, window) > 160, qPrintable(label->objectName()));
    }

    // The icon box: the buttons' face inside its border, around the icon.
    const QRect inside = d.picIcon->contentsRect();
    QVERIFY(inside.width() > 32 && inside.height() >= 32);
    QCOMPARE(pixel(image, d.picIcon, inside.topLeft()), palette.color(QPalette::Button).rgb());

    // The rule: the style's shadow over its light, across the dialog.
    const int x = d.Line1[1]->width() / 2;
    QCOMPARE(pixel(image, d.Line1[1], {x, 0}), palette.color(QPalette::Dark).rgb());
    QCOMPARE(pixel(image, d.Line1[1], {x, 1}), palette.color(QPalette::Light).rgb());
}

void TestAbout::showsTheApplicationIcon()
{
    AboutFixture f;
    const QLabel *box = f.dialog->picIcon;
    const QPixmap shown = box->pixmap();
    QVERIFY(!shown.isNull());
    QCOMPARE(shown.deviceIndependentSize().toSize(), QSize(32, 32));
    const QImage expected = Pictures::applicationIcon()
                                .pixmap(QSize(32, 32))
                                .toImage()
                                .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(shown.toImage().convertToFormat(QImage::Format_ARGB32), expected);

    // Drawn whole inside the sunken border, not cut by it.
    const QImage image = f.dialog->grab().toImage();
    QRect icon(QPoint(), QSize(32, 32));
    icon.moveCenter(box->contentsRect().center());
    QVERIFY(box->contentsRect().contains(icon));
    QVERIFY(box->frameWidth() > 0);
    int drawn = 0;
    for (int y = icon.top(); y <= icon.bottom(); ++y)
        for (int x = icon.left(); x <= icon.right(); ++x)
            drawn += pixel(image, box, {x, y}) != qRgb(192, 192, 192);
    QVERIFY(drawn > 32);
}

void TestAbout::window()
{
    AboutFixture f;
    frmAbout &d = *f.dialog;
    QCOMPARE(d.parentWidget(), &f.owner);
    QCOMPARE(d.windowType(), Qt::Dialog);
    QVERIFY(d.isModal());
    // A title and a close box only, asked for as such.
    const Qt::WindowFlags flags = d.windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testAnyFlags(Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint |
                                Qt::WindowShadeButtonHint));
    // Fixed frame: the user cannot resize it.
    QCOMPARE(d.minimumSize(), d.size());
    QCOMPARE(d.maximumSize(), d.size());
    QVERIFY(f.showActive());
    QCOMPARE(QApplication::activeModalWidget(), f.dialog.get());
}

// A window manager that minimises the box anyway (and the owner with it, as
// it does with a modal dialog) never leaves the screen empty: both come back.
void TestAbout::minimisedComesBackWithItsOwner_data()
{
    QTest::addColumn<bool>("ownerToo");
    QTest::newRow("the box") << false;
    QTest::newRow("the box and its owner") << true;
}

void TestAbout::minimisedComesBackWithItsOwner()
{
    QFETCH(bool, ownerToo);
    AboutFixture f;
    QVERIFY(f.showActive());
    if (ownerToo)
        f.owner.showMinimized();
    f.dialog->showMinimized();
    QTRY_VERIFY(!f.dialog->isMinimized() && !f.owner.isMinimized());
    QVERIFY(f.dialog->isVisible() && f.owner.isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), f.dialog.get());
}

void TestAbout::centredOnOwner_data()
{
    QTest::addColumn<QRect>("ownerGeometry");
    QTest::addColumn<bool>("centred");
    QTest::newRow("owner in the middle") << QRect(60, 40, 640, 500) << true;
    QTest::newRow("owner to the lower right") << QRect(200, 150, 560, 420) << true;
    QTest::newRow("owner beyond the top left") << QRect(-400, -300, 500, 400) << false;
    QTest::newRow("owner beyond the lower right") << QRect(700, 500, 500, 400) << false;
}

void TestAbout::centredOnOwner()
{
    QFETCH(QRect, ownerGeometry);
    QFETCH(bool, centred);

    AboutFixture f;
    f.owner.setGeometry(ownerGeometry);
    QVERIFY(f.showActive());
    const QRect dialog = f.dialog->frameGeometry();
    const QRect owner = f.owner.frameGeometry();
    if (centred) {
        QVERIFY2((dialog.center() - owner.center()).manhattanLength() <= 2,
                 qPrintable(QStringLiteral("dialog centre %1,%2, owner centre %3,%4")
                                .arg(dialog.center().x())
                                .arg(dialog.center().y())
                                .arg(owner.center().x())
                                .arg(owner.center().y())));
    } else {
        // Near an edge it stays whole on the screen instead.
        QVERIFY(f.owner.screen()->availableGeometry().contains(dialog));
    }
}

void TestAbout::everyTextWhole_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");

    QTest::newRow("default font") << QString() << 0.0;
    QTest::newRow("small") << QString() << 6.0;
    QTest::newRow("large") << QString() << 14.0;
    QTest::newRow("very large") << QString() << 24.0;
    QTest::newRow("serif") << QStringLiteral("DejaVu Serif") << 11.0;
    QTest::newRow("narrow") << QStringLiteral("Nimbus Sans Narrow") << 10.0;
    QTest::newRow("monospace") << QStringLiteral("DejaVu Sans Mono") << 10.0;
    QTest::newRow("wide") << QStringLiteral("URW Bookman") << 12.0;
}

// Whatever the font, every text shows whole, every control lies inside the
// dialog, no two controls cover each other, and the layout keeps its order.
void TestAbout::everyTextWhole()
{
    QFETCH(QString, family);
    QFETCH(double, points);

    QFont font = QApplication::font();
    if (!family.isEmpty())
        font.setFamily(family);
    if (points > 0)
        font.setPointSizeF(points);
    QApplication::setFont(font);

    AboutFixture f;
    const frmAbout &d = *f.dialog;

    for (QLabel *label : labels(d)) {
        const QString cut = cutOff(*label);
        QVERIFY2(cut.isEmpty(), qPrintable(label->objectName() + QStringLiteral(": ") + cut));
    }
    for (const QPushButton *button : {d.cmdOK, d.cmdSysInfo}) {
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        const QFontMetrics metrics = button->fontMetrics();
        QVERIFY2(metrics.horizontalAdvance(withoutMnemonic(button->text())) + 2 * margin <=
                         button->width() &&
                     metrics.height() + 4 <= button->height(),
                 qPrintable(button->objectName()));
    }
    QVERIFY(d.picIcon->contentsRect().width() >= 32);
    QVERIFY(d.picIcon->contentsRect().height() >= 32);

    const QList<QWidget *> all = controls(d);
    for (const QWidget *control : all)
        QVERIFY2(d.rect().contains(control->geometry()), qPrintable(control->objectName()));
    for (int i = 0; i < all.size(); ++i)
        for (int j = i + 1; j < all.size(); ++j) {
            const bool rulePair = all[i] == d.Line1[1] && all[j] == d.Line1[0];
            QVERIFY2(
                rulePair || !all[i]->geometry().intersects(all[j]->geometry()),
                qPrintable(all[i]->objectName() + QStringLiteral(" over ") + all[j]->objectName()));
        }

    // Icon with the title to its right; description under the title; the
    // rule under both; disclaimer and OK under the rule; the address under
    // the disclaimer and System Info under OK, both buttons to the right.
    const auto g = [](const QWidget *w) { return w->geometry(); };
    QVERIFY(g(d.lblTitle).left() > g(d.picIcon).right());
    QVERIFY(g(d.lblDescription).top() > g(d.lblTitle).bottom());
    QVERIFY(g(d.Line1[0]).top() > g(d.lblDescription).bottom());
    QVERIFY(g(d.Line1[0]).top() > g(d.picIcon).bottom());
    QVERIFY(g(d.lblDisclaimer).top() > g(d.Line1[0]).bottom());
    QVERIFY(g(d.cmdOK).top() > g(d.Line1[0]).bottom());
    QVERIFY(g(d.Label1).top() > g(d.lblDisclaimer).bottom());
    QVERIFY(g(d.cmdSysInfo).top() > g(d.cmdOK).bottom());
    QVERIFY(g(d.cmdOK).left() > g(d.lblDisclaimer).right());
    QVERIFY(g(d.cmdSysInfo).left() > g(d.Label1).right());
}

void TestAbout::growsWithTheFont()
{
    QSize previous;
    for (const double points : {7.0, 12.0, 18.0}) {
        QFont font = QApplication::font();
        font.setPointSizeF(points);
        QApplication::setFont(font);
        AboutFixture f;
        const QSize size = f.dialog->size();
        QVERIFY2(size.width() > previous.width() && size.height() > previous.height(),
                 qPrintable(QString::number(points)));
        previous = size;
    }
}

void TestAbout::closing_data()
{
    QTest::addColumn<Closing>("closing");
    QTest::newRow("Enter") << Closing::Enter;
    QTest::newRow("Return") << Closing::Return;
    QTest::newRow("Esc") << Closing::Escape;
    QTest::newRow("OK clicked") << Closing::ClickOK;
    QTest::newRow("space on OK") << Closing::SpaceOnOK;
    QTest::newRow("Enter while the icon has the focus") << Closing::EnterOnIcon;
    QTest::newRow("close box") << Closing::CloseBox;
}

void TestAbout::closing()
{
    QFETCH(Closing, closing);

    AboutFixture f;
    f.installTool();
    QVERIFY(f.showActive());
    frmAbout &d = *f.dialog;
    switch (closing) {
    case Closing::Enter:
        QTest::keyClick(&d, Qt::Key_Enter);
        break;
    case Closing::Return:
        QTest::keyClick(&d, Qt::Key_Return);
        break;
    case Closing::Escape:
        QTest::keyClick(&d, Qt::Key_Escape);
        break;
    case Closing::ClickOK:
        QTest::mouseClick(d.cmdOK, Qt::LeftButton);
        break;
    case Closing::SpaceOnOK:
        QTest::keyClick(d.cmdOK, Qt::Key_Space);
        break;
    case Closing::EnterOnIcon:
        d.picIcon->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), d.picIcon);
        QTest::keyClick(d.picIcon, Qt::Key_Return);
        break;
    case Closing::CloseBox:
        QVERIFY(d.close());
        break;
    }
    QTRY_VERIFY(!d.isVisible());
    QVERIFY(f.launcher.started.isEmpty());
    QVERIFY(f.messages.messages.isEmpty());
}

void TestAbout::focusOrder()
{
    AboutFixture f;
    QVERIFY(f.showActive());
    frmAbout &d = *f.dialog;

    QTRY_COMPARE(QApplication::focusWidget(), d.cmdOK);
    // The picture has nothing to do: Tab passes it.
    const QList<QWidget *> forward = {d.cmdSysInfo, d.Label1, d.cmdOK, d.cmdSysInfo};
    for (QWidget *next : forward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), next);
    }
    const QList<QWidget *> backward = {d.cmdOK, d.Label1, d.cmdSysInfo};
    for (QWidget *next : backward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QTRY_COMPARE(QApplication::focusWidget(), next);
    }
    QVERIFY(d.isVisible());
}

// The address, reached with Tab, shows that it has the focus; the icon it
// passes on the way is not touched, and a screen reader still names it.
void TestAbout::addressShowsItsFocus()
{
    AboutFixture f;
    QVERIFY(f.showActive());
    frmAbout &d = *f.dialog;
    const QImage icon = d.picIcon->grab().toImage();
    const QImage addressUnfocused = d.Label1->grab().toImage();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), d.Label1);
    QCOMPARE(d.picIcon->grab().toImage(), icon);
    QVERIFY(d.Label1->grab().toImage() != addressUnfocused);
    QCOMPARE(QAccessible::queryAccessibleInterface(d.picIcon)->text(QAccessible::Name),
             QStringLiteral("Icona di Vidizizor"));
    // A screen reader reads the address as a button, with the keys that copy
    // it as its description (a label's description is not read).
    QAccessibleInterface *address = QAccessible::queryAccessibleInterface(d.Label1);
    QCOMPARE(address->role(), QAccessible::Button);
    QCOMPARE(address->text(QAccessible::Name), d.Label1->text());
    QCOMPARE(address->text(QAccessible::Description),
             QStringLiteral("Invio o Ctrl+C copia l'indirizzo in memoria."));
}

void TestAbout::copiesTheAddress_data()
{
    // On the address, Tab-reached; none: a double click, or a screen
    // reader's press of the button it sees.
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<bool>("pressed");
    QTest::newRow("double click") << QKeySequence() << false;
    QTest::newRow("Enter") << QKeySequence(Qt::Key_Return) << false;
    QTest::newRow("Ctrl+C") << QKeySequence(QKeySequence::Copy) << false;
    QTest::newRow("a screen reader's press") << QKeySequence() << true;
}

void TestAbout::copiesTheAddress()
{
    QFETCH(QKeySequence, keys);
    QFETCH(bool, pressed);
    AboutFixture f;
    QVERIFY(f.showActive());
    QClipboard *clipboard = QApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));

    const QString shown = f.dialog->Label1->text();
    const QString prefix = QStringLiteral("E-mail : ");
    QVERIFY(shown.startsWith(prefix));
    if (!keys.isEmpty()) {
        for (int tab = 0; tab < 2; ++tab)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTRY_COMPARE(QApplication::focusWidget(), f.dialog->Label1);
    }

    ScreenReader reader(ScreenReader::announcements);
    for (int time = 1; time <= 2; ++time) {
        if (pressed)
            QAccessible::queryAccessibleInterface(f.dialog->Label1)
                ->actionInterface()
                ->doAction(QAccessibleActionInterface::pressAction());
        else if (keys.isEmpty())
            QTest::mouseDClick(f.dialog->Label1, Qt::LeftButton);
        else
            QTest::keySequence(QApplication::focusWidget(), keys);
        QCOMPARE(clipboard->text(), shown.mid(prefix.size()));
        QCOMPARE(clipboard->mimeData()->formats(), QStringList{QStringLiteral("text/plain")});
        QCOMPARE(reader.heard.size(), time);
        QCOMPARE(reader.heard.last(), QStringLiteral("Indirizzo copiato in memoria."));
    }
    // Exactly the address: nothing around it, a reserved example domain.
    const QString copied = clipboard->text();
    QCOMPARE(copied, copied.trimmed());
    QVERIFY(!copied.contains(QLatin1Char(' ')));
    QCOMPARE(copied.count(QLatin1Char('@')), 1);
    QVERIFY(copied.endsWith(u"@example.com") || copied.endsWith(u".example"));
    QVERIFY(f.dialog->isVisible());
}

void TestAbout::singleClickDoesNothing()
{
    AboutFixture f;
    QVERIFY(f.showActive());
    QApplication::clipboard()->setText(QStringLiteral("before"));
    QTest::mouseClick(f.dialog->Label1, Qt::LeftButton);
    QTest::mouseClick(f.dialog->Label1, Qt::RightButton);
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
    QVERIFY(f.dialog->isVisible());
    QCOMPARE(QApplication::focusWidget(), f.dialog->cmdOK);
}

void TestAbout::systemInfoKeepsTheDialogOpen_data()
{
    QTest::addColumn<Press>("press");
    QTest::addColumn<bool>("toolInstalled");
    QTest::newRow("click, tool found") << Press::Click << true;
    QTest::newRow("click, no tool") << Press::Click << false;
    QTest::newRow("Alt+S, tool found") << Press::AltS << true;
    QTest::newRow("Alt+S, no tool") << Press::AltS << false;
}

void TestAbout::systemInfoKeepsTheDialogOpen()
{
    QFETCH(Press, press);
    QFETCH(bool, toolInstalled);

    AboutFixture f;
    if (toolInstalled)
        f.installTool();
    QVERIFY(f.showActive());
    if (press == Press::Click)
        QTest::mouseClick(f.dialog->cmdSysInfo, Qt::LeftButton);
    else
        QTest::keyClick(f.dialog.get(), Qt::Key_S, Qt::AltModifier);

    // A mnemonic presses the button with a short animation, so wait for it.
    QTRY_COMPARE(f.launcher.started.size() + f.messages.messages.size(), 1);
    QCOMPARE(f.launcher.started, toolInstalled ? QStringList{toolPath} : QStringList{});
    QCOMPARE(f.messages.messages, toolInstalled ? QStringList{} : QStringList{unavailable});
    // Not a failure of the program's own: the message has no picture.
    QVERIFY(!f.messages.icons.contains(MessageBox::Icon::Warning));
    QVERIFY(f.dialog->isVisible());
}

// The Help menu's command shows the box modally over the main window, made
// afresh and gone when closed; the second showing is the same as the first.
void TestAbout::helpMenuShowsAFreshModalBox()
{
    MainWindowFixture main;
    main.window->Show();
    QVERIFY(QTest::qWaitForWindowExposed(main.window.get()));

    struct Seen
    {
        bool found = false;
        QWidget *owner = nullptr;
        bool modal = false;
        QString title;
        QString address;
        QRect geometry;
    };
    const auto showOnce = [&] {
        Seen seen;
        int tries = 0;
        std::function<void()> inspect = [&] {
            auto *about = qobject_cast<frmAbout *>(QApplication::activeModalWidget());
            if (!about && ++tries < 200) {
                QTimer::singleShot(10, inspect);
                return;
            }
            if (!about)
                return;
            seen = {true,
                    about->parentWidget(),
                    about->isModal(),
                    about->windowTitle(),
                    about->Label1->text(),
                    about->frameGeometry()};
            // Click OK as the user would.
            QTest::mouseClick(about->cmdOK, Qt::LeftButton);
        };
        QTimer::singleShot(0, inspect);
        main.find("mnuHelpAbout")->trigger();
        return seen;
    };

    const Seen first = showOnce();
    QVERIFY(first.found);
    QCOMPARE(first.owner, main.window.get());
    QVERIFY(first.modal);
    QCOMPARE(first.title, QStringLiteral("Informazioni su Vidizizor  V. 1.0"));
    QVERIFY((first.geometry.center() - main.window->frameGeometry().center()).manhattanLength() <=
            2);
    QVERIFY(main.window->findChildren<frmAbout *>().isEmpty());

    const Seen second = showOnce();
    QVERIFY(second.found);
    QCOMPARE(second.title, first.title);
    QCOMPARE(second.address, first.address);
    QCOMPARE(second.geometry, first.geometry);
    QVERIFY(main.window->findChildren<frmAbout *>().isEmpty());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
