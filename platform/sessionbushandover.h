#pragma once

#include "filehandover.h"

#include <QDBusConnection>
#include <QObject>

#include <memory>

/// The hand-over over the session's message bus: the program that takes the
/// files owns the bus name Service and offers the method OpenFiles (an array
/// of strings, the full paths) on the object Path; a later start calls it
/// and ends once it has returned.
class SessionBusHandOver : public QObject, public FileHandOver
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.example.vidizizor.Files")

public:
    static constexpr char Service[] = "com.example.vidizizor";
    static constexpr char Path[] = "/com/example/vidizizor";
    static constexpr char Interface[] = "com.example.vidizizor.Files";

    /// Over this connection; with one that is not connected, nothing is
    /// handed over or taken.
    explicit SessionBusHandOver(const QDBusConnection &bus, QObject *parent = nullptr);
    ~SessionBusHandOver() override;

    bool handOver(const QStringList &paths) override;
    void receive(Receive receive) override;

    /// The hand-over of the session the program runs in, made as a child of
    /// owner, so that the program stops taking files when owner goes. A
    /// session whose bus is not known (no address given, none at the usual
    /// place) has none, and no bus is started for it.
    static SessionBusHandOver *forSession(QObject *owner);

public slots:
    /// The method on the bus: answers at once, and the files open when the
    /// event loop runs next, so that a long load keeps no caller waiting.
    Q_SCRIPTABLE void OpenFiles(const QStringList &paths);

private:
    QDBusConnection bus_;
    Receive receive_;
    bool registered_ = false;
};
