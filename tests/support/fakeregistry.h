#pragma once

#include "platform/registry.h"

#include <QHash>
#include <QPair>
#include <QSet>

#include <cstring>

/// A registry held in memory. Keys are opened by their path; values hold a
/// type and raw bytes, copied out the way the system does it.
class FakeRegistry : public Registry
{
public:
    struct Value
    {
        quint32 type = TypeString;
        QByteArray bytes;
    };

    /// A text value stored as the system stores it, with its zero byte.
    void setString(const QByteArray &key, const QByteArray &name, const QByteArray &text)
    {
        setValue(key, name, {TypeString, text + '\0'});
    }
    void setValue(const QByteArray &key, const QByteArray &name, const Value &value)
    {
        keys_.insert(key);
        values_.insert({key, name}, value);
    }
    void addKey(const QByteArray &key) { keys_.insert(key); }

    long openKey(quint32 root, const QByteArray &subKey, quint32 access, Key *key) override
    {
        lastAccess = access;
        if (root != LocalMachine || !keys_.contains(subKey))
            return FileNotFound;
        open_.append(subKey);
        *key = Key(open_.size());
        openKeys++;
        return Success;
    }

    long queryValue(Key key, const QByteArray &valueName, quint32 *type, char *data,
                    quint32 *size) override
    {
        const auto it = values_.constFind({open_.value(int(key) - 1), valueName});
        if (it == values_.constEnd())
            return FileNotFound;
        const quint32 needed = quint32(it->bytes.size());
        *type = it->type;
        if (needed > *size) {
            *size = needed;
            return MoreData;
        }
        std::memcpy(data, it->bytes.constData(), needed);
        *size = needed;
        return Success;
    }

    long closeKey(Key) override
    {
        openKeys--;
        return Success;
    }

    int openKeys = 0; ///< keys opened and not yet closed
    quint32 lastAccess = 0;

private:
    QSet<QByteArray> keys_;
    QHash<QPair<QByteArray, QByteArray>, Value> values_;
    QList<QByteArray> open_;
};
