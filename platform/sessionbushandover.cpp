#include "sessionbushandover.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>

namespace {

// Where the session's bus is when its address is not given.
bool sessionBusKnown()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

} // namespace

SessionBusHandOver::SessionBusHandOver(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), bus_(bus)
{
}

SessionBusHandOver::~SessionBusHandOver()
{
    // Whoever waits for the name takes it now, not when this process ends.
    if (registered_) {
        bus_.unregisterObject(QString::fromLatin1(Path));
        bus_.unregisterService(QString::fromLatin1(Service));
    }
}

SessionBusHandOver *SessionBusHandOver::forSession(QObject *owner)
{
    // Asking for the session bus where none is known would have the bus
    // library start one, which would outlive the program.
    return new SessionBusHandOver(sessionBusKnown() ? QDBusConnection::sessionBus()
                                                    : QDBusConnection(QStringLiteral("none")),
                                  owner);
}

bool SessionBusHandOver::handOver(const QStringList &paths)
{
    if (!bus_.isConnected() || paths.isEmpty())
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(Service), QString::fromLatin1(Path),
                                       QString::fromLatin1(Interface), QStringLiteral("OpenFiles"));
    call << paths;
    call.setAutoStartService(false);
    // Events go on meanwhile: the program that answers may be this one.
    return bus_.call(call, QDBus::BlockWithGui).type() == QDBusMessage::ReplyMessage;
}

void SessionBusHandOver::receive(Receive receive)
{
    receive_ = std::move(receive);
    if (!bus_.isConnected() || registered_)
        return;
    registered_ = bus_.registerObject(QString::fromLatin1(Path), this,
                                      QDBusConnection::ExportScriptableSlots);
    // Queued: a program started while this one takes the files takes them
    // once this one has ended.
    if (registered_)
        bus_.interface()->registerService(QString::fromLatin1(Service),
                                          QDBusConnectionInterface::QueueService,
                                          QDBusConnectionInterface::DontAllowReplacement);
}

void SessionBusHandOver::OpenFiles(const QStringList &paths)
{
    QStringList named;
    for (const QString &path : paths)
        if (!path.isEmpty()) // no file has an empty name
            named << path;
    if (named.isEmpty())
        return;
    QMetaObject::invokeMethod(
        this,
        [this, named] {
            if (receive_)
                receive_(named);
        },
        Qt::QueuedConnection);
}
