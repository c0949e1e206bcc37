#include "../Backend.h"

#include "Win32.h"

namespace Kavrel::Platform
{

namespace
{
HKEY Native(RegistryStore::Key key) { return static_cast<HKEY>(const_cast<void*>(key)); }

const wchar_t* Units(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// The registry itself, call for call; its error codes are the store's.
class SystemRegistry final : public RegistryStore
{
public:
    long OpenKey(Key parent, const std::u16string& subKey, Key& opened) override
    {
        HKEY key = nullptr;
        const LONG result = ::RegOpenKeyExW(Native(parent), Units(subKey), 0, KEY_ALL_ACCESS, &key);
        opened = result == ERROR_SUCCESS ? key : nullptr;
        return result;
    }

    long EnumValue(Key key, unsigned long index, unsigned long maxNameUnits, std::u16string& name) override
    {
        std::u16string buffer(maxNameUnits, u'\0');
        DWORD length = maxNameUnits;
        const LONG result = ::RegEnumValueW(Native(key), index, reinterpret_cast<wchar_t*>(buffer.data()),
                                            &length, nullptr, nullptr, nullptr, nullptr);
        name = result == ERROR_SUCCESS ? buffer.substr(0, length) : std::u16string();
        return result;
    }

    long EnumKey(Key key, unsigned long index, unsigned long maxNameUnits, std::u16string& name) override
    {
        std::u16string buffer(maxNameUnits, u'\0');
        DWORD length = maxNameUnits;
        const LONG result = ::RegEnumKeyExW(Native(key), index, reinterpret_cast<wchar_t*>(buffer.data()),
                                            &length, nullptr, nullptr, nullptr, nullptr);
        name = result == ERROR_SUCCESS ? buffer.substr(0, length) : std::u16string();
        return result;
    }

    long QueryValue(Key key, const std::u16string& name, unsigned long maxBytes,
                    std::vector<unsigned char>& data) override
    {
        data.assign(maxBytes, 0);
        DWORD size = maxBytes;
        const LONG result =
            ::RegQueryValueExW(Native(key), Units(name), nullptr, nullptr, data.data(), &size);
        data.resize(result == ERROR_SUCCESS ? size : 0);
        return result;
    }

    long SetTextValue(Key key, const std::u16string& name, const std::u16string& text) override
    {
        return ::RegSetValueExW(Native(key), Units(name), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(text.data()),
                                static_cast<DWORD>(text.size() * sizeof(char16_t)));
    }

    long DeleteValue(Key key, const std::u16string& name) override
    {
        return ::RegDeleteValueW(Native(key), Units(name));
    }

    void CloseKey(Key key) override
    {
        if (key != CURRENT_USER)
            ::RegCloseKey(Native(key));
    }
};
} // namespace

const RegistryStore::Key RegistryStore::CURRENT_USER = HKEY_CURRENT_USER;

// A program that binds a reference to one of the result codes (a test's
// EXPECT_EQ does) imports it from this library, which must therefore hold
// them: taking their addresses makes the compiler emit, and so export, them.
[[gnu::used]] const long* const RESULT_CODES[] = {
    &RegistryStore::SUCCESS,        &RegistryStore::FILE_NOT_FOUND, &RegistryStore::ACCESS_DENIED,
    &RegistryStore::INVALID_HANDLE, &RegistryStore::MORE_DATA,      &RegistryStore::NO_MORE_ITEMS};

RegistryStore* Backend::SystemRegistryStore()
{
    static SystemRegistry registry;
    return &registry;
}

} // namespace Kavrel::Platform
