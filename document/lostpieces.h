#pragma once

#include "text/piecebytes.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class PieceStore;
class TextModel;

/// The pieces of a document's file found gone (another program cut the
/// file or wrote over them): told by the stores that read them, on any
/// thread, and gathered here on the document's, with the lines of the text
/// they held. Once one is found, the document's text is no longer its
/// file's: it must not be saved as if it were.
class LostPieces : public QObject
{
    Q_OBJECT

public:
    explicit LostPieces(const TextModel &text, QObject *parent = nullptr);
    ~LostPieces() override;

    /// Hears of the pieces that store finds gone.
    void watch(PieceStore &store);
    /// A piece of store found gone by the caller itself (a save that
    /// copies it), taken at once rather than when the store's word comes.
    void take(const std::shared_ptr<const PieceStore> &store, const PieceBytes &piece);
    /// Whether any piece was found gone.
    bool any() const { return !losses_.empty(); }
    /// Which lines of the text were lost, as they stand now, and that they
    /// cannot be read, as a person reads it: "la riga 12 del documento non
    /// si può più leggere", "le righe da 12 a 40 e da 90 a 95 del documento
    /// non si possono più leggere".
    QString unreadable() const;
    /// The stretches of text that are in memory rather than in the file
    /// (what was typed, with the lines around it), each after a line that
    /// says where it stands; empty when there are none.
    static QString inMemory(const TextModel &text);
    /// Where the text in memory was copied once the first piece was found
    /// gone: the title of the document that holds it, empty when there was
    /// none to copy; nothing before.
    const std::optional<QString> &copiedTo() const { return copiedTo_; }
    void setCopiedTo(const QString &title) { copiedTo_ = title; }

signals:
    /// A piece was found gone.
    void found();

private:
    class Relay;
    using Lines = std::pair<qint64, qint64>; ///< the first and last, from 1

    struct Loss
    {
        std::weak_ptr<const PieceStore> store;
        PieceBytes piece;
        Lines lines; ///< where it stood when it was found
    };

    /// The lines of the text that the piece's bytes hold now, if any.
    std::optional<Lines> linesOf(const std::shared_ptr<const PieceStore> &store,
                                 const PieceBytes &piece) const;

    const TextModel &text_;
    std::shared_ptr<Relay> relay_;
    std::vector<Loss> losses_;
    std::optional<QString> copiedTo_;
};
