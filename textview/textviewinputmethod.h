#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>

class QInputMethodEvent;
class QInputMethodQueryEvent;
class QPainter;
class QTextLayout;
class TextView;
class TextViewPainter;

/// What an input method sees of a text view, and what it does there.
///
/// While a character is being composed, its pre-edit text is drawn at the
/// caret, underlined, and the rest of the caret's line moves right to make
/// room; the model holds none of it. What the input method commits goes in
/// as typed text, exactly as it comes (NUL, U+2028 and U+2029 included).
///
/// The text around the caret that the input method may read is the caret's
/// line, or on a long line a window of it around the caret; positions in the
/// queries and in the event's replacement and selection count from the
/// window's start.
///
/// It takes the view's input method events and queries, as the view's
/// event filter.
class TextViewInputMethod : public QObject
{
public:
    /// Lines up to this long are given whole as the surrounding text.
    static constexpr qint64 SurroundingLength = 1024;

    explicit TextViewInputMethod(TextView &view);
    ~TextViewInputMethod() override;

    bool eventFilter(QObject *watched, QEvent *event) override;
    /// The answer to one query; an invalid one for a query left to the view.
    QVariant query(Qt::InputMethodQuery query) const;

    bool isComposing() const { return !preedit_.isEmpty(); }
    /// How far right of the model's caret the caret is drawn: its place in
    /// the pre-edit text.
    qreal caretOffset() const;
    /// Draws the pre-edit text at the caret over what lines painted, moving
    /// the rest of the caret's line right, and the caret in it.
    void paint(QPainter &painter, TextViewPainter &lines, bool caretShown) const;

    /// Asks the input method to commit what it composes; whatever it leaves
    /// is dropped, as a click elsewhere ends composing.
    void commit();
    /// Tells the input method that the caret, or the view under it, moved.
    void caretMoved() const;

    struct Window
    {
        qint64 start = 0;
        qint64 end = 0;
    };
    /// The surrounding text's place in the model.
    Window surrounding() const;

private:
    void inputMethodEvent(QInputMethodEvent *event);
    void answer(QInputMethodQueryEvent *event) const;
    void replace(const QInputMethodEvent *event);
    void setPreedit(const QInputMethodEvent *event);
    void applySelection(const QInputMethodEvent *event);

    TextView &view_;
    QString preedit_;
    int preeditCursor_ = 0;
    bool preeditCursorShown_ = true;
    std::unique_ptr<QTextLayout> layout_;
};
