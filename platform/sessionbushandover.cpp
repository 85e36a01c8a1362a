#include "sessionbushandover.h"

#include "localfilepath.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QWidget>

// Which program opens the files is decided by a claim file rather than by a
// bus name taken for each request: a name goes when its owner ends, so a
// start that claimed the files and was then closed would leave a program
// that wakes up later free to claim them again. A file outlives both.

namespace {

// Where the session's bus is when its address is not given.
bool sessionBusKnown()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

// The bus's answers when no program owns the name: no one has the call.
bool noProgramTookIt(const QDBusMessage &answer)
{
    return answer.errorName() == u"org.freedesktop.DBus.Error.ServiceUnknown" ||
           answer.errorName() == u"org.freedesktop.DBus.Error.NameHasNoOwner";
}

} // namespace

SessionBusHandOver::SessionBusHandOver(const QDBusConnection &bus, QObject *parent,
                                       const HandOverClaim &claims)
    : QObject(parent), bus_(bus), claims_(claims)
{
}

SessionBusHandOver::~SessionBusHandOver()
{
    release();
}

SessionBusHandOver *SessionBusHandOver::forSession(QObject *owner)
{
    // Asking for the session bus where none is known would have the bus
    // library start one, which would outlive the program.
    auto *handOver = new SessionBusHandOver(
        sessionBusKnown() ? QDBusConnection::sessionBus() : QDBusConnection(QStringLiteral("none")),
        owner);
    if (owner && owner->isWidgetType())
        owner->installEventFilter(handOver);
    return handOver;
}

bool SessionBusHandOver::handOver(const QString &folder, const QStringList &files)
{
    if (!bus_.isConnected() || files.isEmpty())
        return false;
    const QString request = HandOverClaim::newRequest();
    QDBusMessage call =
        QDBusMessage::createMethodCall(QString::fromLatin1(Service), QString::fromLatin1(Path),
                                       QString::fromLatin1(Interface), QStringLiteral("OpenFiles"));
    call << request << QDateTime::currentMSecsSinceEpoch() << folder << files;
    call.setAutoStartService(false);
    // Events go on meanwhile: the program that answers may be this one.
    const QDBusMessage answer = bus_.call(call, QDBus::BlockWithGui, AnswerMs);
    if (answer.type() == QDBusMessage::ReplyMessage && answer.arguments().value(0).toBool())
        return true;
    if (noProgramTookIt(answer))
        return false;
    // No answer in time, or a refusal: the files are this start's unless
    // the running program claimed them first.
    return claims_.claim(request) == HandOverClaim::Outcome::Theirs;
}

void SessionBusHandOver::receive(Receive receive)
{
    receive_ = std::move(receive);
    if (!bus_.isConnected() || registered_)
        return;
    claims_.removeStale(QDateTime::currentMSecsSinceEpoch());
    registered_ = bus_.registerObject(QString::fromLatin1(Path), this,
                                      QDBusConnection::ExportScriptableSlots);
    // Queued: a program started while this one takes the files takes them
    // once this one has ended.
    if (registered_)
        bus_.interface()->registerService(QString::fromLatin1(Service),
                                          QDBusConnectionInterface::QueueService,
                                          QDBusConnectionInterface::DontAllowReplacement);
}

bool SessionBusHandOver::OpenFiles(const QString &request, qint64 madeAt, const QString &folder,
                                   const QStringList &files)
{
    // Not taken: a request too old, or one whose relative paths cannot be
    // read as its sender meant them, with no full folder to read them in.
    if (!receive_ || !HandOverClaim::isCurrent(madeAt, QDateTime::currentMSecsSinceEpoch()) ||
        !QDir::isAbsolutePath(folder))
        return false;
    // Before the answer: a sender that has stopped waiting claims the
    // request itself, and then this program must leave the files alone.
    if (claims_.claim(request) != HandOverClaim::Outcome::Ours)
        return false;
    QStringList paths;
    for (const QString &file : files)
        if (!file.isEmpty()) // no file has an empty name
            if (const std::optional<QString> path = localFilePath(file, folder))
                paths << *path;
    if (!paths.isEmpty())
        QMetaObject::invokeMethod(
            this,
            [this, paths] {
                if (receive_)
                    receive_(paths);
            },
            Qt::QueuedConnection);
    return true;
}

bool SessionBusHandOver::eventFilter(QObject *watched, QEvent *event)
{
    // A window hidden for good is closed; a minimised one stays visible.
    if (watched == parent() && event->type() == QEvent::Hide &&
        !static_cast<QWidget *>(watched)->isVisible())
        release();
    return false;
}

void SessionBusHandOver::release()
{
    receive_ = nullptr;
    if (!registered_)
        return;
    registered_ = false;
    bus_.unregisterObject(QString::fromLatin1(Path));
    bus_.unregisterService(QString::fromLatin1(Service));
}
