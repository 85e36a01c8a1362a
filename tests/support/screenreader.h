#pragma once

#include <QAccessible>
#include <QStringList>

#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include <functional>

/// A screen reader listening, as it makes the platform do, for as long as
/// the object lives: every accessibility event is told to hear, which
/// writes what matters of it into heard. One at a time.
class ScreenReader
{
public:
    using Hear = std::function<void(QAccessibleEvent *, QStringList &)>;

    explicit ScreenReader(Hear hear) : hear_(std::move(hear))
    {
        current() = this;
        platform_->setActive(true);
        previous_ = QAccessible::installUpdateHandler(
            [](QAccessibleEvent *event) { current()->hear_(event, current()->heard); });
    }
    ~ScreenReader()
    {
        QAccessible::installUpdateHandler(previous_);
        platform_->setActive(false);
        current() = nullptr;
    }
    ScreenReader(const ScreenReader &) = delete;
    ScreenReader &operator=(const ScreenReader &) = delete;

    QStringList heard;

    /// Hears what is announced: each notification as it shows, by its name.
    static void announcements(QAccessibleEvent *event, QStringList &heard)
    {
        QAccessibleInterface *source = event->accessibleInterface();
        if (event->type() == QAccessible::ObjectShow && source &&
            source->role() == QAccessible::Notification)
            heard << source->text(QAccessible::Name);
    }

private:
    static ScreenReader *&current()
    {
        static ScreenReader *listening = nullptr;
        return listening;
    }

    Hear hear_;
    QPlatformAccessibility *platform_ =
        QGuiApplicationPrivate::platformIntegration()->accessibility();
    QAccessible::UpdateHandler previous_ = nullptr;
};
