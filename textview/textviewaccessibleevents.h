#pragma once

#include "accessiblewindow.h"

#include <QString>

class Announcement;
class TextView;

/// Tells assistive technology what changed in a text view: text inserted
/// and removed (its place and the text itself), the caret and the
/// selection, all in the offsets of the view's AccessibleWindow.
///
/// An event carries at most AccessibleText::Limit characters of the text
/// that came or went, so that an edit of a large document never copies
/// it; whoever wants
/// more reads it through the text interface. The text an edit removes is
/// kept as the model is about to replace it, whatever made the edit.
///
/// The text a load puts at the end is the file's, not an edit: it is not
/// told as inserted, whether the view has the focus or not. A screen reader
/// would take it for what the last key it heard had typed, and read it all;
/// it reads the text when it asks for it. The view is busy while it waits
/// for the first text of the file it loads, and says when that ends.
///
/// When the caret leaves the window of a long text, or an edit reaches
/// across the window's edge, the window moves: its text is told removed,
/// the new window's text inserted, then the caret in it. A screen reader
/// reads the line at the caret then, even where the caret's offset is the
/// one it heard last (but for the start of the text, 0 before and after).
///
/// Nothing is told while no assistive technology listens.
class TextViewAccessibleEvents
{
public:
    /// Also gives every text view its accessible interface.
    explicit TextViewAccessibleEvents(TextView &view);

    AccessibleWindow &window() { return window_; }

    void contentsChanged(qint64 position, qint64 removed, qint64 added);
    void caretMoved();
    /// Tells a change of the view's busy state, after a change of the text
    /// or of its loading.
    void busyMayHaveChanged();
    /// Says the caret's line number, in a text seen through a window: its
    /// offsets do not tell where in the text the caret is. A view without
    /// the focus says it once it has it back (after a dialog).
    void sayCaretLine();
    void focusedIn();

private:
    /// Keeps the text [from, to) that the model is about to replace, and
    /// the window's text when the edit reaches across its edge.
    void aboutToReplace(qint64 from, qint64 to);
    QString removedText(qint64 position, qint64 removed) const;
    void tellEdit(qint64 position, qint64 removed, qint64 added);
    void moveWindow(const QString &told);
    void tellSelection();
    QString windowText() const;

    TextView &view_;
    AccessibleWindow window_;
    Announcement *announcement_;
    QString pendingLine_;
    /// Whether the model said that the change to come is an edit; a change
    /// it says nothing of first is text a load puts at the end.
    bool editing_ = false;
    bool busy_ = false;
    qint64 keptFrom_ = -1;
    QString kept_;
    QString keptWindow_;
    qint64 caret_ = 0;
    qint64 anchor_ = 0;
    /// Whether the caret's offset changed with the window, whatever the
    /// caret did, and whether the window's move told it already.
    bool windowMoved_ = false;
    bool caretTold_ = false;
};
