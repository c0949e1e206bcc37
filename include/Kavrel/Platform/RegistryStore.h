#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <string>
#include <vector>

namespace Kavrel::Platform
{

/// A hierarchical store of keys holding named values, with the operations of
/// the Windows registry one for one (open, enumerate values and sub-keys by
/// index, read raw value data, write a text value, delete a value, close), so
/// that code written against it runs on the registry itself on Windows and on
/// the settings files that stand for it elsewhere. Names are UTF-16; value
/// data is raw bytes (a text value is its UTF-16 code units, little-endian,
/// with a terminating NUL). Results are the registry's error codes.
class KAVRELPLATFORM_EXPORT RegistryStore
{
public:
    /// An open key; roots are predefined.
    using Key = const void*;
    static const Key CURRENT_USER;

    static constexpr long SUCCESS = 0;
    static constexpr long FILE_NOT_FOUND = 2;
    static constexpr long ACCESS_DENIED = 5;
    static constexpr long INVALID_HANDLE = 6;
    static constexpr long MORE_DATA = 234;
    static constexpr long NO_MORE_ITEMS = 259;

    virtual ~RegistryStore();

    /// RegOpenKeyExW: subKey is a path of names separated by backslashes.
    virtual long OpenKey(Key parent, const std::u16string& subKey, Key& opened) = 0;
    /// RegEnumValueW, name only: MORE_DATA when the name needs more than
    /// maxNameUnits code units with its terminator; NO_MORE_ITEMS past the end.
    virtual long EnumValue(Key key, unsigned long index, unsigned long maxNameUnits,
                           std::u16string& name) = 0;
    /// RegEnumKeyExW, with the same limits.
    virtual long EnumKey(Key key, unsigned long index, unsigned long maxNameUnits, std::u16string& name) = 0;
    /// RegQueryValueExW, data only: MORE_DATA when it holds more than maxBytes.
    virtual long QueryValue(Key key, const std::u16string& name, unsigned long maxBytes,
                            std::vector<unsigned char>& data) = 0;
    /// RegSetValueExW with REG_SZ: the text's code units, no NUL added.
    virtual long SetTextValue(Key key, const std::u16string& name, const std::u16string& text) = 0;
    /// RegDeleteValueW.
    virtual long DeleteValue(Key key, const std::u16string& name) = 0;
    /// RegCloseKey.
    virtual void CloseKey(Key key) = 0;
};

/// The store in use: the one set with SetRegistryStore, else the system's
/// (the registry on Windows; none here, where the Qt side supplies one over
/// the settings files). Returns null when there is none.
KAVRELPLATFORM_EXPORT RegistryStore* GetRegistryStore();
/// Installs a store (not owned) and returns the previous one; null restores
/// the system's.
KAVRELPLATFORM_EXPORT RegistryStore* SetRegistryStore(RegistryStore* store);

} // namespace Kavrel::Platform
