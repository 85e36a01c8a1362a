#pragma once

#include <QByteArray>
#include <QtGlobal>

/// Read access to the system registry, in the shape of the operating
/// system's three functions: open a key, query one value, close the key.
/// Names are 8-bit text in the system code page; every call returns
/// Registry::Success (0) or an error code.
class Registry
{
public:
    using Key = quintptr;

    static constexpr long Success = 0;
    static constexpr long FileNotFound = 2;
    static constexpr long MoreData = 234;
    static constexpr quint32 LocalMachine = 0x80000002u;
    static constexpr quint32 ReadAccess = 0x20019u; // KEY_READ
    static constexpr quint32 TypeString = 1;        // REG_SZ
    static constexpr quint32 TypeDword = 4;         // REG_DWORD

    virtual ~Registry() = default;

    virtual long openKey(quint32 root, const QByteArray &subKey, quint32 access, Key *key) = 0;
    /// Reads a value into data. On entry *size is the buffer's size in
    /// bytes; on return the number of bytes the value holds.
    virtual long queryValue(Key key, const QByteArray &valueName, quint32 *type, char *data,
                            quint32 *size) = 0;
    virtual long closeKey(Key key) = 0;
};
