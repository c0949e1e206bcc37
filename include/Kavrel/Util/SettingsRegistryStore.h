#pragma once

#include <Kavrel/Platform/RegistryStore.h>
#include <Kavrel/Util/KavrelUtilExport.h>

#include <memory>

namespace Kavrel::Util
{

/// The registry where there is none: the key "Software\<Org>\<Product>" of
/// the current user is the settings file that QSettings uses for that
/// organisation and application (see NativeSettingsPath), and its sub-keys
/// are the groups inside it. Values are read as their text's UTF-16 code
/// units; every write goes to the file at once and reports a failure to
/// write it. Keys shorter than "Software\<Org>\<Product>" cannot be opened.
class KAVRELUTIL_EXPORT SettingsRegistryStore : public Kavrel::Platform::RegistryStore
{
public:
    SettingsRegistryStore();
    ~SettingsRegistryStore() override;

    long OpenKey(Key parent, const std::u16string& subKey, Key& opened) override;
    long EnumValue(Key key, unsigned long index, unsigned long maxNameUnits, std::u16string& name) override;
    long EnumKey(Key key, unsigned long index, unsigned long maxNameUnits, std::u16string& name) override;
    long QueryValue(Key key, const std::u16string& name, unsigned long maxBytes,
                    std::vector<unsigned char>& data) override;
    long SetTextValue(Key key, const std::u16string& name, const std::u16string& text) override;
    long DeleteValue(Key key, const std::u16string& name) override;
    void CloseKey(Key key) override;

    /// The store for this process: the one set in the operating-system layer
    /// when there is one, else a settings-file store.
    static Kavrel::Platform::RegistryStore& Current();

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::Util
