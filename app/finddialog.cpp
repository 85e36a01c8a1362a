#include "finddialog.h"

#include "findfield.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// Room in each field, in average characters of the dialog's font.
constexpr int FieldCharacters = 32;

FindField *makeField(QWidget *parent, const char *name)
{
    auto *field = new FindField(parent);
    field->setObjectName(QLatin1String(name));
    return field;
}

// A field's label, which also names the field for a screen reader.
QLabel *makeLabel(QWidget *parent, const QString &caption, QWidget *field)
{
    auto *label = new QLabel(caption, parent);
    label->setBuddy(field);
    return label;
}

QCheckBox *makeOption(QWidget *parent, const QString &caption, const char *name)
{
    auto *option = new QCheckBox(caption, parent);
    option->setObjectName(QLatin1String(name));
    return option;
}

} // namespace

FindDialog::FindDialog(QWidget *owner)
    // A title and a close box: nothing to minimise or maximise.
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("findDialog"));
    setWindowTitle(QStringLiteral("Trova e sostituisci"));
    setModal(false);

    findField = makeField(this, "findField");
    replaceField = makeField(this, "replaceField");
    matchCase = makeOption(this, QStringLiteral("&Maiuscole/minuscole"), "matchCase");
    wholeWord = makeOption(this, QStringLiteral("Parola &intera"), "wholeWord");
    findNextButton = addButton(QStringLiteral("Trova &successivo"), "findNext");
    findPreviousButton = addButton(QStringLiteral("Trova &precedente"), "findPrevious");
    replaceButton = addButton(QStringLiteral("S&ostituisci"), "replace");
    replaceAllButton = addButton(QStringLiteral("Sostituisci t&utto"), "replaceAll");
    closeButton = addButton(QStringLiteral("Chiudi"), "close");
    // Return anywhere in the dialog finds the next occurrence.
    findNextButton->setDefault(true);
    layOut();

    connect(findNextButton, &QPushButton::clicked, this, &FindDialog::findNext);
    connect(findPreviousButton, &QPushButton::clicked, this, &FindDialog::findPrevious);
    connect(replaceButton, &QPushButton::clicked, this, &FindDialog::replace);
    connect(replaceAllButton, &QPushButton::clicked, this, &FindDialog::replaceAll);
    connect(closeButton, &QPushButton::clicked, this, &FindDialog::reject);
    connect(findField, &QLineEdit::textChanged, this, &FindDialog::enableButtons);
    fitFieldsToFont();
    enableButtons();
}

// The labelled fields and the options on the left, the buttons down the
// right.
void FindDialog::layOut()
{
    auto *fields = new QGridLayout;
    fields->addWidget(makeLabel(this, QStringLiteral("&Trova:"), findField), 0, 0);
    fields->addWidget(findField, 0, 1);
    fields->addWidget(makeLabel(this, QStringLiteral("Sostituisci &con:"), replaceField), 1, 0);
    fields->addWidget(replaceField, 1, 1);
    fields->addWidget(matchCase, 2, 1);
    fields->addWidget(wholeWord, 3, 1);
    fields->setRowStretch(4, 1);
    auto *buttons = new QVBoxLayout;
    for (QPushButton *button :
         {findNextButton, findPreviousButton, replaceButton, replaceAllButton, closeButton})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);
    // Never smaller than what shows every text whole.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
}

QPushButton *FindDialog::addButton(const QString &caption, const char *name)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    return button;
}

FindForm::Query FindDialog::query() const
{
    return {findField->text(), matchCase->isChecked(), wholeWord->isChecked()};
}

QString FindDialog::replacement() const
{
    return replaceField->text();
}

void FindDialog::present(const QString &text, bool replacing)
{
    if (!isVisible() && pos().isNull() && parentWidget()) {
        adjustSize();
        const QRect area = parentWidget()->geometry();
        move(area.right() - frameGeometry().width() - 16, area.top() + 64);
    }
    if (!text.isEmpty())
        findField->setText(text);
    show();
    raise();
    activateWindow();
    // Nothing to replace before there is something to find.
    FindField *field = replacing && !findField->text().isEmpty() ? replaceField : findField;
    field->setFocus(Qt::ShortcutFocusReason);
    field->selectAllWhenFocused();
}

void FindDialog::keepClearOf(const QRect &area)
{
    const QRect frame = frameGeometry();
    if (!isVisible() || !frame.intersects(area))
        return;
    const QRect screenArea = screen()->availableGeometry();
    const int gap = fontMetrics().height();
    // Below the area when there is room, otherwise above it.
    int top = area.bottom() + gap;
    if (top + frame.height() > screenArea.bottom())
        top = std::max(screenArea.top(), area.top() - gap - frame.height());
    move(frame.left(), top);
}

void FindDialog::fitFieldsToFont()
{
    const int width = fontMetrics().averageCharWidth() * FieldCharacters;
    findField->setMinimumWidth(width);
    replaceField->setMinimumWidth(width);
}

void FindDialog::enableButtons()
{
    const bool any = !findField->text().isEmpty();
    for (QPushButton *button :
         {findNextButton, findPreviousButton, replaceButton, replaceAllButton})
        button->setEnabled(any);
}

void FindDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitFieldsToFont();
}

void FindDialog::done(int result)
{
    QDialog::done(result);
    emit closed();
}
