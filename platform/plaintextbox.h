#pragma once

#include "linebreakindex.h"
#include "textbox.h"

#include <QPlainTextEdit>

/// The text box on screen: a plain-text view with no wrapping and both
/// scroll bars, which keeps every character of its text exactly.
///
/// The view holds one block per line. Every line break (CR LF, lone LF, lone
/// CR or U+2029) is a block break, and the kind of each break is kept in the
/// block's user state and in a LineBreakIndex, so that positions convert
/// between the view and the text in O(log n). Characters that the view would
/// swallow (U+FDD0, U+FDD1) are held as private-use stand-ins marked with a
/// character-format property.
class PlainTextBox : public QPlainTextEdit, public TextBox
{
    Q_OBJECT

public:
    explicit PlainTextBox(QWidget *parent = nullptr);

    QString Text() const override;
    void setText(const QString &text) override;
    qsizetype textLength() const override;
    void appendText(const QString &text) override;
    QString SelText() const override;
    void setSelText(const QString &text) override;
    qsizetype SelStart() const override;
    void setSelStart(qsizetype start) override;
    qsizetype SelLength() const override;
    void setSelLength(qsizetype length) override;

    /// Position conversions between the view and the text.
    qsizetype textPosition(int viewPosition) const;
    int viewPosition(qsizetype textPosition) const;

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    QString textOfRange(int from, int to) const;
    QString blockText(const QTextBlock &block, int from, int to) const;
    /// Replaces the view range [from, to) with text; returns the view position
    /// right after the inserted text.
    int replaceRange(int from, int to, const QString &text);
    void onContentsChange(int position, int charsRemoved, int charsAdded);
    void reindexBlocks(int firstBlock, int lastBlock);
    LineBreak breakBefore(const QTextBlock &block) const;
    int viewLength() const;

    LineBreakIndex breaks_;
    int indexedBlockCount_ = 1;
    bool replacing_ = false;
    bool mayHoldStandIns_ = false;
};
