#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>
#include <Kavrel/Platform/RegistryStore.h>

#include <QString>

#include <boost/function.hpp>

#include <memory>
#include <string>
#include <vector>

namespace Kavrel::App
{

/// Re-encodes or deletes, once per product, values that the product's older
/// generation kept in its branch "Software\Kavrel\<product>" of the current
/// user's store: on Windows the registry, here the settings file that
/// stands for it (Kavrel::Util::SettingsRegistryStore). A value of that era
/// holds the UTF-8 bytes of its text one per UTF-16 code unit ("é" as the
/// two units 0x00C3 0x00A9); converting keeps the low 8 bits of each unit and
/// decodes the bytes as UTF-8. The converted flag
/// "isConvertSettingsStringFromQt4ToQt5" sits in the same branch.
class KAVRELAPPLICATION_EXPORT MigrateSettingsFromQt4ToQt5
{
public:
    static const QString isConvertSettingsStringFromQt4ToQt5;

    explicit MigrateSettingsFromQt4ToQt5(const std::string& productName);
    ~MigrateSettingsFromQt4ToQt5();

    MigrateSettingsFromQt4ToQt5(const MigrateSettingsFromQt4ToQt5&) = delete;
    MigrateSettingsFromQt4ToQt5& operator=(const MigrateSettingsFromQt4ToQt5&) = delete;

    bool isConverted();
    void SetConverted(bool converted);
    /// Re-encode, or delete, every value of the branch (at any depth) whose
    /// name is listed.
    void Convert(const std::vector<std::string>& names);
    void Delete(const std::vector<std::string>& names);

private:
    using Key = Kavrel::Platform::RegistryStore::Key;
    using Action =
        boost::function<void(MigrateSettingsFromQt4ToQt5*, Key, const std::u16string&, unsigned long&)>;

    void UpdateKeys(Key parent, const std::u16string& subKey, const std::vector<std::string>& names,
                    const Action& action, int depth);
    void ChangeKey(Key key, const std::u16string& valueName, unsigned long& index);
    void DeleteKey(Key key, const std::u16string& valueName, unsigned long& index);

    class Private;
    std::unique_ptr<Private> d;
};

/// Whether the product's settings still wait for the migration.
KAVRELAPPLICATION_EXPORT bool NeedMigrateProductSettingsFromQt4ToQt5(const std::string& productName);

/// Runs the migration once: deletes the values named in deleteNames, then
/// converts those in convertNames, to which "PreferredBrowser" and
/// "DateOfFirstStart" are appended, and marks the product converted. Does
/// nothing, and leaves the lists as they are, when it already ran.
KAVRELAPPLICATION_EXPORT void MigrateProductSettingsFromQt4ToQt5(const std::string& productName,
                                                                 std::vector<std::string>& convertNames,
                                                                 std::vector<std::string>& deleteNames);

} // namespace Kavrel::App
