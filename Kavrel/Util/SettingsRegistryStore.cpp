#include <Kavrel/Util/CheckedSettingsFormat.h>
#include <Kavrel/Util/NativeSettingsPath.h>
#include <Kavrel/Util/SettingsRegistryStore.h>

#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace Kavrel::Util
{

namespace
{
// The first names of a current-user key that make up its settings file.
constexpr int FILE_PARTS = 3;

struct OpenedKey
{
    std::shared_ptr<QSettings> file;
    QString group; // "" for the file's top level, else "A/B"
};

QString Join(const QString& group, const QString& name)
{
    return group.isEmpty() ? name : group + QLatin1Char('/') + name;
}

QString FromUtf16(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<int>(text.size()));
}

std::u16string ToUtf16(const QString& text) { return text.toStdU16String(); }
} // namespace

class KAVRELUTIL_NO_EXPORT SettingsRegistryStore::Private
{
public:
    // One settings object per file, shared by the keys open in it, so that
    // they all see each other's writes.
    std::shared_ptr<QSettings> File(const QString& path)
    {
        auto& file = files[path];
        if (!file)
            file = std::make_shared<QSettings>(path, CheckedSettingsFormat(QSettings::IniFormat));
        return file;
    }

    OpenedKey* Find(Key key)
    {
        auto* opened = static_cast<OpenedKey*>(const_cast<void*>(key));
        return keys.count(opened) ? opened : nullptr;
    }

    // The names directly in the key: its values, or its sub-keys. A damaged
    // file's section "[]" is a group without a name, but a sub-key always
    // has one: opening "" would open the key itself again.
    QStringList Children(const OpenedKey& key, bool groups) const
    {
        QSettings& settings = *key.file;
        settings.beginGroup(key.group);
        QStringList names = groups ? settings.childGroups() : settings.childKeys();
        settings.endGroup();
        if (groups)
            names.removeAll(QString());
        return names;
    }

    long Written(QSettings& settings) const
    {
        settings.sync();
        return settings.status() == QSettings::NoError ? SUCCESS : ACCESS_DENIED;
    }

    std::map<QString, std::shared_ptr<QSettings>> files;
    std::set<OpenedKey*> keys;
};

SettingsRegistryStore::SettingsRegistryStore() : d(std::make_unique<Private>()) {}

SettingsRegistryStore::~SettingsRegistryStore()
{
    for (OpenedKey* key : d->keys)
        delete key;
}

long SettingsRegistryStore::OpenKey(Key parent, const std::u16string& subKey, Key& opened)
{
    opened = nullptr;
    QStringList names = FromUtf16(subKey).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    auto key = std::make_unique<OpenedKey>();
    if (parent == CURRENT_USER)
    {
        if (names.size() < FILE_PARTS)
            return FILE_NOT_FOUND;
        const QString path =
            NativeSettingsPath(QStringLiteral("HKEY_CURRENT_USER\\") +
                               QStringList(names.mid(0, FILE_PARTS)).join(QLatin1Char('\\')));
        if (!QFileInfo(path).isFile())
            return FILE_NOT_FOUND;
        key->file = d->File(path);
        names = names.mid(FILE_PARTS);
    }
    else if (const OpenedKey* base = d->Find(parent))
    {
        key->file = base->file;
        key->group = base->group;
    }
    else
        return INVALID_HANDLE;
    for (const QString& name : names)
    {
        if (!d->Children(*key, true).contains(name))
            return FILE_NOT_FOUND;
        key->group = Join(key->group, name);
    }
    opened = key.get();
    d->keys.insert(key.release());
    return SUCCESS;
}

long SettingsRegistryStore::EnumValue(Key key, unsigned long index, unsigned long maxNameUnits,
                                      std::u16string& name)
{
    const OpenedKey* opened = d->Find(key);
    if (!opened)
        return INVALID_HANDLE;
    const QStringList names = d->Children(*opened, false);
    if (index >= static_cast<unsigned long>(names.size()))
        return NO_MORE_ITEMS;
    const QString& found = names.at(static_cast<int>(index));
    if (static_cast<unsigned long>(found.size()) + 1 > maxNameUnits)
        return MORE_DATA;
    name = ToUtf16(found);
    return SUCCESS;
}

long SettingsRegistryStore::EnumKey(Key key, unsigned long index, unsigned long maxNameUnits,
                                    std::u16string& name)
{
    const OpenedKey* opened = d->Find(key);
    if (!opened)
        return INVALID_HANDLE;
    const QStringList names = d->Children(*opened, true);
    if (index >= static_cast<unsigned long>(names.size()))
        return NO_MORE_ITEMS;
    const QString& found = names.at(static_cast<int>(index));
    if (static_cast<unsigned long>(found.size()) + 1 > maxNameUnits)
        return MORE_DATA;
    name = ToUtf16(found);
    return SUCCESS;
}

long SettingsRegistryStore::QueryValue(Key key, const std::u16string& name, unsigned long maxBytes,
                                       std::vector<unsigned char>& data)
{
    const OpenedKey* opened = d->Find(key);
    if (!opened)
        return INVALID_HANDLE;
    const QString path = Join(opened->group, FromUtf16(name));
    if (!opened->file->contains(path))
        return FILE_NOT_FOUND;
    const QString text = opened->file->value(path).toString();
    const size_t bytes = (static_cast<size_t>(text.size()) + 1) * 2; // with its terminator
    if (bytes > maxBytes)
        return MORE_DATA;
    data.assign(bytes, 0);
    for (int i = 0; i < text.size(); ++i)
    {
        data[2 * static_cast<size_t>(i)] = static_cast<unsigned char>(text.at(i).unicode() & 0xFF);
        data[2 * static_cast<size_t>(i) + 1] = static_cast<unsigned char>(text.at(i).unicode() >> 8);
    }
    return SUCCESS;
}

long SettingsRegistryStore::SetTextValue(Key key, const std::u16string& name, const std::u16string& text)
{
    const OpenedKey* opened = d->Find(key);
    if (!opened)
        return INVALID_HANDLE;
    opened->file->setValue(Join(opened->group, FromUtf16(name)), FromUtf16(text));
    return d->Written(*opened->file);
}

long SettingsRegistryStore::DeleteValue(Key key, const std::u16string& name)
{
    const OpenedKey* opened = d->Find(key);
    if (!opened)
        return INVALID_HANDLE;
    // A damaged file can hold a value without a name, but QSettings removes
    // every value of the group for an empty name: refused, never all of them.
    if (name.empty())
        return ACCESS_DENIED;
    const QString path = Join(opened->group, FromUtf16(name));
    if (!opened->file->contains(path))
        return FILE_NOT_FOUND;
    // QSettings removes the sub-key of the same name with the value; the
    // registry keeps them apart, so the sub-key's values are put back.
    QSettings& file = *opened->file;
    file.beginGroup(path);
    std::vector<std::pair<QString, QVariant>> below;
    for (const QString& child : file.allKeys())
        below.emplace_back(child, file.value(child));
    file.endGroup();
    file.remove(path);
    for (const auto& [child, value] : below)
        file.setValue(path + QLatin1Char('/') + child, value);
    return d->Written(file);
}

void SettingsRegistryStore::CloseKey(Key key)
{
    OpenedKey* opened = d->Find(key);
    if (!opened)
        return;
    const std::shared_ptr<QSettings> file = opened->file;
    d->keys.erase(opened);
    delete opened;
    // A file no key holds is let go, so that the next open reads it afresh.
    if (file.use_count() == 2) // ours and the cache's
        for (auto it = d->files.begin(); it != d->files.end(); ++it)
            if (it->second == file)
            {
                d->files.erase(it);
                break;
            }
}

Kavrel::Platform::RegistryStore& SettingsRegistryStore::Current()
{
    if (Kavrel::Platform::RegistryStore* store = Kavrel::Platform::GetRegistryStore())
        return *store;
    static SettingsRegistryStore files;
    return files;
}

} // namespace Kavrel::Util
