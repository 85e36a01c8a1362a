#include "announcement.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QGuiApplication>
#include <QWidget>

namespace {

// The notification as assistive technology sees it: named after what it
// says, a child of the application itself, so that a screen reader says
// it alone rather than after the whole window it came from.
class AnnouncementAccessible : public QAccessibleObject
{
public:
    explicit AnnouncementAccessible(Announcement *announcement) : QAccessibleObject(announcement) {}

    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(qApp);
    }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::Notification; }
    QAccessible::State state() const override { return {}; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? announcement()->text() : QString();
    }
    QRect rect() const override { return {}; }

private:
    Announcement *announcement() const { return static_cast<Announcement *>(object()); }
};

QAccessibleInterface *createFor(const QString &className, QObject *object)
{
    if (className == QLatin1String(Announcement::staticMetaObject.className()))
        return new AnnouncementAccessible(static_cast<Announcement *>(object));
    return nullptr;
}

} // namespace

Announcement::Announcement(QObject &owner) : QObject(&owner)
{
    static const bool installed = (QAccessible::installFactory(createFor), true);
    Q_UNUSED(installed);
}

void Announcement::say(const QString &text)
{
    text_ = text;
    if (!QAccessible::isActive() || text.isEmpty())
        return;
    // The new name first: a screen reader keeps the name it last heard.
    QAccessibleEvent renamed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    QAccessibleEvent shown(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}
