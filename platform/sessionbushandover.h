#pragma once

#include "filehandover.h"
#include "handoverclaim.h"

#include <QDBusConnection>
#include <QObject>

/// The hand-over over the session's message bus. The program that takes the
/// files owns the bus name Service and offers, on the object Path, the method
///
///     OpenFiles(s request, x madeAt, s folder, as files) -> b taken
///
/// request names the hand-over (HandOverClaim), madeAt is when the start
/// that hands it over made it (milliseconds since 1970, UTC), and folder is
/// that start's working folder, against which relative paths and file://
/// addresses among files are read. The answer says whether the files are
/// taken. A later start waits AnswerMs at most for it; when it gets none,
/// the claim on the request decides which of the two opens the files.
class SessionBusHandOver : public QObject, public FileHandOver
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.example.vidizizor.Files")

public:
    static constexpr char Service[] = "com.example.vidizizor";
    static constexpr char Path[] = "/com/example/vidizizor";
    static constexpr char Interface[] = "com.example.vidizizor.Files";
    /// How long a start waits for the running program to answer: a program
    /// that is stopped or hangs keeps the files from no one for longer.
    static constexpr int AnswerMs = 2000;

    /// Over this connection, claiming in the given place; with a connection
    /// that is not connected, nothing is handed over or taken.
    explicit SessionBusHandOver(const QDBusConnection &bus, QObject *parent = nullptr,
                                const HandOverClaim &claims = HandOverClaim());
    ~SessionBusHandOver() override;

    bool handOver(const QString &folder, const QStringList &files) override;
    void receive(Receive receive) override;

    /// The hand-over of the session the program runs in, made as a child of
    /// owner, so that the program stops taking files when owner goes; a
    /// window stops them as soon as it is closed. A session whose bus is not
    /// known (no address given, none at the usual place) has none, and no
    /// bus is started for it.
    static SessionBusHandOver *forSession(QObject *owner);

public slots:
    /// The method on the bus: claims the request and answers at once; the
    /// files open when the event loop runs next, so that a long load keeps
    /// no caller waiting.
    Q_SCRIPTABLE bool OpenFiles(const QString &request, qint64 madeAt, const QString &folder,
                                const QStringList &files);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// Gives the bus name to the next program at once.
    void release();

    QDBusConnection bus_;
    HandOverClaim claims_;
    Receive receive_;
    bool registered_ = false;
};
