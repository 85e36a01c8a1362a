#pragma once

#include <QAccessible>
#include <QSet>

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
/// The toolkit calls the gate as a plain function, so the one gate of the
/// program is reached through a pointer of this file.
class AccessibleEventGate
{
public:
    /// Puts the gate between the program and the screen reader; more calls
    /// do nothing.
    static void install();

private:
    static void pass(QAccessibleEvent *event);
    /// Forgets the list items whose list is gone.
    void sweep();

    QSet<QAccessible::Id> known_;                         // every accessible object seen by a sweep
    QAccessible::Id next_ = QAccessible::Id(INT_MAX) + 1; // the first not yet seen
    bool sweepDue_ = false;
    QAccessible::Id focus_ = 0; // the object last told to have the focus
};
