#pragma once

#include <QDialog>

class QSpinBox;
class TextView;

/// The "Vai alla riga" dialog: a line number from 1 to the document's count
/// of lines, the range said beside it, the caret's line to start with.
/// Return goes there; Escape leaves the caret where it was.
class GoToLineDialog : public QDialog
{
    Q_OBJECT

public:
    GoToLineDialog(qint64 lines, qint64 current, QWidget *parent);

    /// Opens the dialog over the view's window without waiting for it; once
    /// accepted, the caret goes to the start of the line chosen, which is
    /// scrolled into view. A document that changed meanwhile is held to its
    /// lines as they are then.
    static void ask(TextView &view);

    /// The line chosen, counted from 1.
    qint64 line() const;

    QSpinBox *lineField = nullptr;
};
