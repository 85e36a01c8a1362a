#include "menuitemaccessible.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWindow>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

bool isMenuOrBar(const QObject *object)
{
    return qobject_cast<const QMenu *>(object) || qobject_cast<const QMenuBar *>(object);
}

QWidget *shownIn(const QAction *action)
{
    QWidget *first = nullptr;
    for (QObject *object : action->associatedObjects()) {
        if (!isMenuOrBar(object))
            continue;
        auto *widget = static_cast<QWidget *>(object);
        if (widget->isVisible())
            return widget;
        if (!first)
            first = widget;
    }
    return first;
}

// The caption as read: "&&" is an ampersand, a lone "&" marks the access
// key, and a tab starts the shortcut some menus write after the caption.
QString readable(const QString &caption)
{
    QString text;
    for (qsizetype i = 0; i < caption.size() && caption[i] != u'\t'; ++i) {
        if (caption[i] == u'&' && ++i == caption.size())
            break;
        text += caption[i];
    }
    return text;
}

QString accessKey(const QAction *action)
{
    const QString caption = action->text();
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            return caption[i + 1].toLower();
        ++i;
    }
    return {};
}

QString accessPath(const QAction *action)
{
    const QString key = accessKey(action);
    QWidget *owner = shownIn(action);
    if (key.isEmpty() || !owner)
        return {};
    if (qobject_cast<QMenuBar *>(owner))
        return QStringLiteral("<Alt>") + key;
    const QAction *above = static_cast<QMenu *>(owner)->menuAction();
    const QString abovePath = above ? accessPath(above) : QString();
    return abovePath.isEmpty() ? QString() : abovePath + u':' + key;
}

const std::pair<Qt::Key, const char *> keyNames[] = {
    {Qt::Key_Delete, "Delete"}, {Qt::Key_Insert, "Insert"},  {Qt::Key_Home, "Home"},
    {Qt::Key_End, "End"},       {Qt::Key_PageUp, "Page_Up"}, {Qt::Key_PageDown, "Page_Down"},
    {Qt::Key_Left, "Left"},     {Qt::Key_Right, "Right"},    {Qt::Key_Up, "Up"},
    {Qt::Key_Down, "Down"},     {Qt::Key_Return, "Return"},  {Qt::Key_Enter, "KP_Enter"},
    {Qt::Key_Escape, "Escape"}, {Qt::Key_Tab, "Tab"},        {Qt::Key_Backspace, "BackSpace"},
    {Qt::Key_Space, "space"},   {Qt::Key_Plus, "plus"},      {Qt::Key_Minus, "minus"},
    {Qt::Key_Equal, "equal"},   {Qt::Key_Comma, "comma"},    {Qt::Key_Period, "period"},
};

QString keyName(Qt::Key key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return QChar(key).toLower();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
    const auto named = std::find_if(std::begin(keyNames), std::end(keyNames),
                                    [key](const auto &entry) { return entry.first == key; });
    if (named != std::end(keyNames))
        return QString::fromLatin1(named->second);
    return QKeySequence(key).toString(QKeySequence::PortableText);
}

} // namespace

MenuItemAccessible::MenuItemAccessible(QAction *action) : action_(action) {}

QString MenuItemAccessible::busKeys(const QKeySequence &shortcut)
{
    if (shortcut.isEmpty())
        return {};
    const QKeyCombination keys = shortcut[0];
    const Qt::KeyboardModifiers modifiers = keys.keyboardModifiers();
    QString text;
    if (modifiers & Qt::ControlModifier)
        text += QStringLiteral("<Control>");
    if (modifiers & Qt::ShiftModifier)
        text += QStringLiteral("<Shift>");
    if (modifiers & Qt::AltModifier)
        text += QStringLiteral("<Alt>");
    if (modifiers & Qt::MetaModifier)
        text += QStringLiteral("<Super>");
    return text + keyName(keys.key());
}

QWidget *MenuItemAccessible::owner() const
{
    return action_ ? shownIn(action_) : nullptr;
}

QString MenuItemAccessible::mnemonic() const
{
    return accessKey(action_);
}

QString MenuItemAccessible::path() const
{
    return accessPath(action_);
}

bool MenuItemAccessible::isValid() const
{
    return owner() != nullptr;
}

QObject *MenuItemAccessible::object() const
{
    return action_;
}

QWindow *MenuItemAccessible::window() const
{
    QWidget *shown = owner();
    return shown ? shown->window()->windowHandle() : nullptr;
}

QRect MenuItemAccessible::rect() const
{
    QWidget *shown = owner();
    if (auto *bar = qobject_cast<QMenuBar *>(shown))
        return bar->actionGeometry(action_).translated(bar->mapToGlobal(QPoint(0, 0)));
    if (auto *menu = qobject_cast<QMenu *>(shown))
        return menu->actionGeometry(action_).translated(menu->mapToGlobal(QPoint(0, 0)));
    return {};
}

QAccessible::Role MenuItemAccessible::role() const
{
    return action_ && action_->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
}

QAccessible::State MenuItemAccessible::state() const
{
    QAccessible::State state;
    QWidget *shown = owner();
    if (!shown || !action_)
        return state;
    state.invisible = !shown->isVisible() || !action_->isVisible();
    if (auto *menu = qobject_cast<QMenu *>(shown))
        state.focused = menu->activeAction() == action_;
    else if (auto *bar = qobject_cast<QMenuBar *>(shown))
        state.focused = bar->activeAction() == action_;
    state.disabled = action_->isSeparator() || !action_->isEnabled();
    state.checkable = action_->isCheckable();
    state.checked = action_->isChecked();
    return state;
}

QString MenuItemAccessible::text(QAccessible::Text kind) const
{
    if (!action_)
        return {};
    if (kind == QAccessible::Name)
        return readable(action_->text());
    if (kind == QAccessible::Accelerator)
        return action_->shortcut().toString(QKeySequence::NativeText);
    return {};
}

QAccessibleInterface *MenuItemAccessible::parent() const
{
    return QAccessible::queryAccessibleInterface(owner());
}

int MenuItemAccessible::childCount() const
{
    return action_ && action_->menu() ? 1 : 0;
}

QAccessibleInterface *MenuItemAccessible::child(int index) const
{
    return index == 0 && childCount() ? QAccessible::queryAccessibleInterface(action_->menu())
                                      : nullptr;
}

int MenuItemAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return child && childCount() && child->object() == action_->menu() ? 0 : -1;
}

QAccessibleInterface *MenuItemAccessible::childAt(int x, int y) const
{
    QAccessibleInterface *submenu = child(0);
    return submenu && submenu->rect().contains(x, y) ? submenu : nullptr;
}

void *MenuItemAccessible::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this)
                                                : nullptr;
}

QStringList MenuItemAccessible::actionNames() const
{
    if (!action_ || action_->isSeparator())
        return {};
    return {action_->menu() ? showMenuAction() : pressAction()};
}

void MenuItemAccessible::doAction(const QString &name)
{
    if (!action_ || !action_->isEnabled())
        return;
    if (name == pressAction()) {
        action_->trigger();
        return;
    }
    if (name != showMenuAction() || !action_->menu())
        return;
    if (action_->menu()->isVisible())
        action_->menu()->hide();
    else if (auto *bar = qobject_cast<QMenuBar *>(owner()))
        bar->setActiveAction(action_);
    else if (auto *menu = qobject_cast<QMenu *>(owner()))
        menu->setActiveAction(action_);
}

QStringList MenuItemAccessible::keyBindingsForAction(const QString &name) const
{
    if (!action_ || !actionNames().contains(name))
        return {};
    const QStringList keys{mnemonic(), path(), busKeys(action_->shortcut())};
    return keys.join(QString()).isEmpty() ? QStringList() : keys;
}
