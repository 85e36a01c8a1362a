#include "systemregistry.h"

#ifdef Q_OS_WIN
#include <windows.h>

namespace {

class WindowsRegistry : public Registry
{
public:
    long openKey(quint32 root, const QByteArray &subKey, quint32 access, Key *key) override
    {
        HKEY handle = nullptr;
        const LONG result = RegOpenKeyExA(reinterpret_cast<HKEY>(static_cast<quintptr>(root)),
                                          subKey.constData(), 0, access, &handle);
        *key = reinterpret_cast<Key>(handle);
        return result;
    }

    long queryValue(Key key, const QByteArray &valueName, quint32 *type, char *data,
                    quint32 *size) override
    {
        DWORD valueType = 0;
        DWORD bytes = *size;
        const LONG result =
            RegQueryValueExA(reinterpret_cast<HKEY>(key), valueName.constData(), nullptr,
                             &valueType, reinterpret_cast<BYTE *>(data), &bytes);
        *type = valueType;
        *size = bytes;
        return result;
    }

    long closeKey(Key key) override { return RegCloseKey(reinterpret_cast<HKEY>(key)); }
};

} // namespace

std::unique_ptr<Registry> makeSystemRegistry()
{
    return std::make_unique<WindowsRegistry>();
}

#else

#include "systeminforegistry.h"

std::unique_ptr<Registry> makeSystemRegistry()
{
    return std::make_unique<SystemInfoRegistry>();
}

#endif
