#pragma once

#include <QAccessible>
#include <QSet>
#include <QTimer>

#include <chrono>

/// The one way the program's accessibility events go to the screen reader.
///
/// An event about an object that is already gone is not told: a screen
/// reader would come back to ask about it and get no answer. Nor is a table
/// header's "selected", which follows the list it heads, not the user, and
/// goes stale as soon as a file dialog filters that list, nor a focus told
/// again where it already is. Once a window's widgets are destroyed, the
/// items of their lists that the toolkit still keeps (a leftover of its item
/// views) are forgotten as well, so that nothing a screen reader once heard
/// of outlives what it stood for.
///
/// A focus on an object that is busy (a text box whose file has brought
/// nothing yet) is held until the object says it is no longer busy, or
/// HeldFocusLimit has gone by, and told then if the object still has the
/// focus: told at once, a screen reader would read an empty text and a
/// format not yet found, and nothing of the text that follows.
///
/// The toolkit calls the gate as a plain function, so the one gate of the
/// program is reached through a pointer of this file.
class AccessibleEventGate
{
public:
    /// Puts the gate between the program and the screen reader; a handler
    /// of the toolkit's events already in place hears what the gate lets
    /// through. More calls do nothing.
    static void install();

    /// The longest a focus is held for an object still busy: a pipe that
    /// nobody writes to never brings any text.
    static constexpr std::chrono::milliseconds HeldFocusLimit{500};

private:
    AccessibleEventGate();

    static void pass(QAccessibleEvent *event);
    /// Tells the event the toolkit's own way.
    static void tell(QAccessibleEvent *event);
    /// Whether a focus goes on now; one told again where it already is
    /// says nothing new, and one on a busy object waits.
    bool admitsFocus(QAccessibleInterface *source);
    void tellHeldFocus();
    /// Forgets the list items whose list is gone.
    void sweep();

    QSet<QAccessible::Id> known_;                         // every accessible object seen by a sweep
    QAccessible::Id next_ = QAccessible::Id(INT_MAX) + 1; // the first not yet seen
    bool sweepDue_ = false;
    QAccessible::Id focus_ = 0; // the object last told to have the focus
    QAccessible::Id held_ = 0;  // the busy object whose focus waits
    QTimer heldLimit_;
    QAccessible::UpdateHandler behind_ = nullptr; // the handler in place before the gate
};
