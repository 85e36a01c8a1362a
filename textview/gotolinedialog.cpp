#include "gotolinedialog.h"

#include "textview.h"

#include "text/textmodel.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>

#include <algorithm>
#include <climits>

namespace {

// The caret to the start of a line, the line brought to the middle of the
// view when it was out of sight.
void goToLine(TextView &view, qint64 line)
{
    const TextModel &model = view.model();
    const qint64 target = std::clamp<qint64>(line, 0, model.lineCount() - 1);
    const qint64 first = view.firstVisibleLine();
    if (target < first || target >= first + view.visibleLines())
        view.setFirstVisibleLine(target - view.visibleLines() / 2);
    view.moveCaret(model.lineStart(target));
    view.sayCaretLine();
}

} // namespace

GoToLineDialog::GoToLineDialog(qint64 lines, qint64 current, QWidget *parent)
    // A title and a close box: nothing to minimise or maximise.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("goToLineDialog"));
    setWindowTitle(QStringLiteral("Vai alla riga"));
    lineField = new QSpinBox(this);
    lineField->setObjectName(QStringLiteral("lineField"));
    // The field counts in int; a document of more lines is reached as far.
    lineField->setRange(1, int(std::min<qint64>(lines, INT_MAX)));
    lineField->setValue(int(std::min<qint64>(current + 1, INT_MAX)));
    lineField->selectAll();
    auto *label = new QLabel(QStringLiteral("&Numero di riga (1 - %1):").arg(lines), this);
    label->setBuddy(lineField);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QFormLayout(this);
    layout->addRow(label, lineField);
    layout->addRow(buttons);
    // Never smaller than what shows every text whole.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

qint64 GoToLineDialog::line() const
{
    return lineField->value();
}

void GoToLineDialog::ask(TextView &view)
{
    const TextModel &model = view.model();
    auto *dialog =
        new GoToLineDialog(model.lineCount(), model.lineAt(view.cursor().position()), &view);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, &view,
            [&view, dialog] { goToLine(view, dialog->line() - 1); });
    dialog->open();
}
