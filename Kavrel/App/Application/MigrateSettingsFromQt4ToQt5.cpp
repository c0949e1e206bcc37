#include <Kavrel/App/Application/MigrateSettingsFromQt4ToQt5.h>
#include <Kavrel/Util/NativeSettingsPath.h>
#include <Kavrel/Util/SettingsRegistryStore.h>

#include <QSettings>
#include <QStringList>

#include <boost/bind/bind.hpp>
#include <glog/logging.h>

#include <algorithm>

namespace Kavrel::App
{

namespace
{
using Store = Kavrel::Platform::RegistryStore;

// The registry's classic limits: names of 260 code units with their
// terminator, value data of 520 bytes.
constexpr unsigned long MAX_NAME_UNITS = 260;
constexpr unsigned long MAX_VALUE_BYTES = 520;
// Real branches nest a few levels; the bound keeps a hostile file harmless.
constexpr int MAX_DEPTH = 64;

std::u16string Utf16FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<int>(text.size())).toStdU16String();
}

std::string Utf8FromUtf16(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<int>(text.size())).toStdString();
}

// Text of UTF-16 data up to its first NUL code unit, as UTF-8.
std::string DataText(const std::vector<unsigned char>& data)
{
    std::u16string units;
    for (size_t i = 0; i + 1 < data.size(); i += 2)
    {
        const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0)
            break;
        units.push_back(unit);
    }
    return Utf8FromUtf16(units);
}
} // namespace

const QString MigrateSettingsFromQt4ToQt5::isConvertSettingsStringFromQt4ToQt5 =
    QStringLiteral("isConvertSettingsStringFromQt4ToQt5");

class MigrateSettingsFromQt4ToQt5::Private
{
public:
    explicit Private(const std::string& name)
        : registryPath("Software\\Kavrel\\" + name),
          // Registry keys ignore case, so on Windows the flag's store
          // ("kavrel", lower-case product) is the walked key itself. File
          // names do not: here the flag goes into the walked file.
          settings(Kavrel::Util::NativeSettingsPath(QStringLiteral("HKEY_CURRENT_USER\\") +
                                                    QString::fromStdString(registryPath)),
                   QSettings::IniFormat),
          productName(name)
    {
    }

    std::string registryPath;
    QSettings settings;
    std::string productName;
};

MigrateSettingsFromQt4ToQt5::MigrateSettingsFromQt4ToQt5(const std::string& productName)
    : d(std::make_unique<Private>(productName))
{
}

MigrateSettingsFromQt4ToQt5::~MigrateSettingsFromQt4ToQt5() = default;

bool MigrateSettingsFromQt4ToQt5::isConverted()
{
    return d->settings.value(isConvertSettingsStringFromQt4ToQt5, QVariant()).toBool();
}

void MigrateSettingsFromQt4ToQt5::SetConverted(bool converted)
{
    d->settings.setValue(isConvertSettingsStringFromQt4ToQt5, converted);
    d->settings.sync();
}

void MigrateSettingsFromQt4ToQt5::Convert(const std::vector<std::string>& names)
{
    UpdateKeys(Store::CURRENT_USER, Utf16FromUtf8(d->registryPath), names,
               &MigrateSettingsFromQt4ToQt5::ChangeKey, 0);
}

void MigrateSettingsFromQt4ToQt5::Delete(const std::vector<std::string>& names)
{
    UpdateKeys(Store::CURRENT_USER, Utf16FromUtf8(d->registryPath), names,
               &MigrateSettingsFromQt4ToQt5::DeleteKey, 0);
}

void MigrateSettingsFromQt4ToQt5::UpdateKeys(Key parent, const std::u16string& subKey,
                                             const std::vector<std::string>& names, const Action& action,
                                             int depth)
{
    Store& store = Kavrel::Util::SettingsRegistryStore::Current();
    Key key = nullptr;
    if (depth > MAX_DEPTH || store.OpenKey(parent, subKey, key) != Store::SUCCESS)
        return;
    std::u16string name;
    for (unsigned long index = 0; store.EnumValue(key, index, MAX_NAME_UNITS, name) == Store::SUCCESS;
         ++index)
    {
        const std::string utf8 = Utf8FromUtf16(name);
        if (std::find(names.begin(), names.end(), utf8) != names.end())
            action(this, key, name, index);
    }
    // The sub-keys are listed before any is walked: a group of the settings
    // file that stands for the registry goes with its last value, and the
    // next sub-key would move into its index and be skipped.
    QStringList subKeys;
    for (unsigned long index = 0; store.EnumKey(key, index, MAX_NAME_UNITS, name) == Store::SUCCESS; ++index)
        subKeys << QString::fromStdU16String(name);
    for (const QString& subKey : subKeys)
        UpdateKeys(key, subKey.toStdU16String(), names, action, depth + 1);
    store.CloseKey(key);
}

void MigrateSettingsFromQt4ToQt5::ChangeKey(Key key, const std::u16string& valueName, unsigned long&)
{
    Store& store = Kavrel::Util::SettingsRegistryStore::Current();
    const std::string name = Utf8FromUtf16(valueName);
    std::vector<unsigned char> data;
    if (store.QueryValue(key, valueName, MAX_VALUE_BYTES, data) != Store::SUCCESS)
    {
        LOG(ERROR) << "Errro RegQueryValueEx (key: " << name << " value: "
                   << " )";
        return;
    }
    // One byte of the old text per code unit: its low 8 bits, up to the first
    // zero byte.
    std::string bytes;
    for (size_t i = 0; i + 1 < data.size(); i += 2)
    {
        const unsigned char low = data[i];
        if (low == 0)
            break;
        bytes.push_back(static_cast<char>(low));
    }
    // Invalid sequences become U+FFFD: nothing of the old text is dropped.
    const std::u16string text = Utf16FromUtf8(bytes);
    if (store.SetTextValue(key, valueName, text) == Store::SUCCESS)
        LOG(INFO) << "Update setting with name '" << name << "' - correct";
    else
        LOG(ERROR) << "Errro RegSetValueEx (key: " << name << " value: " << DataText(data) << " )";
}

void MigrateSettingsFromQt4ToQt5::DeleteKey(Key key, const std::u16string& valueName, unsigned long& index)
{
    if (Kavrel::Util::SettingsRegistryStore::Current().DeleteValue(key, valueName) == Store::SUCCESS)
        --index; // the next value moved into this index
    else
        LOG(ERROR) << "Errro RegDeleteKey (key: " << Utf8FromUtf16(valueName);
}

bool NeedMigrateProductSettingsFromQt4ToQt5(const std::string& productName)
{
    MigrateSettingsFromQt4ToQt5 migrator(productName);
    return !migrator.isConverted();
}

void MigrateProductSettingsFromQt4ToQt5(const std::string& productName,
                                        std::vector<std::string>& convertNames,
                                        std::vector<std::string>& deleteNames)
{
    MigrateSettingsFromQt4ToQt5 migrator(productName);
    if (migrator.isConverted())
        return;
    convertNames.push_back("PreferredBrowser");
    convertNames.push_back("DateOfFirstStart");
    if (!deleteNames.empty())
        migrator.Delete(deleteNames);
    if (!convertNames.empty())
        migrator.Convert(convertNames);
    migrator.SetConverted(true);
}

} // namespace Kavrel::App
