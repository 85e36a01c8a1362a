#include "formatpanel.h"

#include "formatmenu.h"

#include "document/frmdocument.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyleOptionToolButton>
#include <QStylePainter>

#include <algorithm>
#include <cmath>

FormatPanel::FormatPanel(QMdiArea &area, FormatMenu &menu, QWidget *parent)
    : QToolButton(parent), area_(area), menu_(menu)
{
    setObjectName(QStringLiteral("formatPanel"));
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    connect(&area, &QMdiArea::subWindowActivated, this, &FormatPanel::showActive);
    connect(this, &QToolButton::clicked, this, &FormatPanel::openMenu);
    showActive();
}

void FormatPanel::watch(frmDocument &document)
{
    connect(&document, &frmDocument::fileFormatChanged, this, [this, &document] {
        if (active() == &document)
            showActive();
    });
    // The last document closed takes the panel with it.
    connect(&document, &QObject::destroyed, this, &FormatPanel::showActive, Qt::QueuedConnection);
}

frmDocument *FormatPanel::active() const
{
    QMdiSubWindow *current = area_.currentSubWindow();
    return current ? qobject_cast<frmDocument *>(current->widget()) : nullptr;
}

void FormatPanel::showActive()
{
    const frmDocument *document = active();
    setVisible(document != nullptr);
    if (!document)
        return;
    setText(document->formatName());
    setAccessibleName(QStringLiteral("Codifica e fine riga: %1").arg(document->formatName()));
    setToolTip(QStringLiteral("%1\nCodifica e fine riga del documento: fare clic per cambiarle.")
                   .arg(document->formatName()));
}

// Narrower than a tool button's own hint: the text and a pixel either side,
// so that the longest usual form fits beside the designed panels at the
// window's first size.
QSize FormatPanel::sizeHint() const
{
    return {textRoom(text()) + Padding, QToolButton::sizeHint().height()};
}

QSize FormatPanel::minimumSizeHint() const
{
    return {std::min(sizeHint().width(), textRoom(QStringLiteral("UTF\u2026")) + Padding),
            QToolButton::minimumSizeHint().height()};
}

// The width a text takes, rounded up.
int FormatPanel::textRoom(const QString &text) const
{
    return int(std::ceil(QFontMetricsF(font()).horizontalAdvance(text)));
}

// The button as the style draws it, but for its text, which takes the
// whole width, cut short where it would be clipped.
void FormatPanel::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
    const QRect room = rect().adjusted(Padding / 2, 0, -Padding / 2, 0);
    const QString shown = width() < sizeHint().width()
                              ? fontMetrics().elidedText(text(), Qt::ElideRight, room.width())
                              : text();
    painter.drawItemText(room, Qt::AlignCenter, palette(), isEnabled(), shown,
                         QPalette::ButtonText);
}

// The status bar is at the window's foot: the menu opens upwards.
void FormatPanel::openMenu()
{
    menu_.rebuild();
    menu_.popup(mapToGlobal(QPoint(0, -menu_.sizeHint().height())));
}
