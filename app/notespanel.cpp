#include "notespanel.h"

#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace {

// A note stays at least this long, and longer when it takes longer to read.
constexpr int BriefMilliseconds = 10000;
constexpr int MillisecondsPerCharacter = 100;

} // namespace

NotesPanel::NotesPanel(QWidget *parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("notesPanel"));
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setTextFormat(Qt::PlainText);
    hide();
    expiry_.setSingleShot(true);
    connect(&expiry_, &QTimer::timeout, this, &NotesPanel::clearNote);
}

void NotesPanel::showBriefly(const QString &text)
{
    showNote(text);
    expiry_.start(std::max<qsizetype>(BriefMilliseconds, MillisecondsPerCharacter * text.size()));
}

void NotesPanel::showUntilReplaced(const QString &text)
{
    showNote(text);
    expiry_.stop();
}

void NotesPanel::withdraw(const QString &text)
{
    if (text == this->text())
        clearNote();
}

void NotesPanel::showNote(const QString &text)
{
    setText(text);
    setVisible(!text.isEmpty());
    updateToolTip();
}

void NotesPanel::clearNote()
{
    expiry_.stop();
    showNote(QString());
}

QSize NotesPanel::minimumSizeHint() const
{
    const QSize whole = QLabel::minimumSizeHint();
    const int least = fontMetrics().horizontalAdvance(QStringLiteral("Xxxxxx\u2026")) + width() -
                      textRect().width();
    return {std::min(whole.width(), least), whole.height()};
}

// QLabel would draw the whole text and clip it; the text is drawn cut short
// where it would be clipped instead.
void NotesPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(&painter);
    style()->drawItemText(&painter, textRect(),
                          QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shownText(), foregroundRole());
}

void NotesPanel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    updateToolTip();
}

QString NotesPanel::shownText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, textRect().width());
}

// Where QLabel puts its text: inside the frame, half an "x" in from it.
QRect NotesPanel::textRect() const
{
    const int inset = frameWidth() > 0 ? fontMetrics().horizontalAdvance(u'x') / 2 : 0;
    return contentsRect().adjusted(inset + margin(), margin(), -inset - margin(), -margin());
}

void NotesPanel::updateToolTip()
{
    setToolTip(shownText() == text() ? QString() : text());
}
