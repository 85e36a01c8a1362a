#include "addresslabel.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QPainter>

namespace {

// For a screen reader the address is a button that copies it: something
// that takes the focus and does a thing on Enter. As a plain label its
// hint, which says so, would not be read.
class AddressLabelAccessible : public QAccessibleWidget
{
public:
    explicit AddressLabelAccessible(AddressLabel *label)
        : QAccessibleWidget(label, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<AddressLabel *>(widget())->text();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override
    {
        return QAccessibleWidget::actionNames() << pressAction();
    }
    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction())
            emit static_cast<AddressLabel *>(widget())->copyRequested();
        else
            QAccessibleWidget::doAction(actionName);
    }
};

QAccessibleInterface *createFor(const QString &className, QObject *object)
{
    if (className == QLatin1String(AddressLabel::staticMetaObject.className()))
        return new AddressLabelAccessible(static_cast<AddressLabel *>(object));
    return nullptr;
}

} // namespace

AddressLabel::AddressLabel(QWidget *parent) : QLabel(parent)
{
    static const bool installed = (QAccessible::installFactory(createFor), true);
    Q_UNUSED(installed);
    setFocusPolicy(Qt::TabFocus); // a click leaves the focus where it is
    setAccessibleDescription(QStringLiteral("Invio o Ctrl+C copia l'indirizzo in memoria."));
}

void AddressLabel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->matches(QKeySequence::Copy)) {
        emit copyRequested();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

// The focus mark is a dotted frame in the text's own colour: the style's
// focus rectangle hardly shows on the label's black.
void AddressLabel::paintEvent(QPaintEvent *event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(foregroundRole()), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
