#include <Kavrel/App/Application/SettingsManager.h>

#include "FileStamp.h"

#include <Kavrel/Util/CheckedSettingsFormat.h>
#include <Kavrel/Util/NativeSettingsPath.h>
#include <Kavrel/Util/StringConversions.h>

#include <Kavrel/Core/EventHandlerList.h>
#include <Kavrel/Core/SyncExecutePolicy.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QMap>
#include <QThread>
#include <QTimer>
#include <QVariant>

#include <glog/logging.h>

#include <functional>
#include <mutex>
#include <unordered_map>
#include <variant>

using Kavrel::Util::Utf8ToQString;

namespace Kavrel::App
{

namespace
{
// How each type travels as a variant, and how a stored variant reads back.
QVariant ToVariant(bool value) { return QVariant(value); }
QVariant ToVariant(int value) { return QVariant(value); }
QVariant ToVariant(long long value) { return QVariant(static_cast<qlonglong>(value)); }
QVariant ToVariant(double value) { return QVariant(value); }
// The stored text ends at the first NUL, as the C-string form does.
QVariant ToVariant(const std::string& value) { return QVariant(QString::fromUtf8(value.c_str())); }
QVariant ToVariant(const std::vector<unsigned char>& value)
{
    return QVariant(Kavrel::Util::VectorByteToQByteArray(value));
}

template <class T> T FromVariant(const QVariant& variant);
template <> bool FromVariant<bool>(const QVariant& v) { return v.toBool(); }
template <> int FromVariant<int>(const QVariant& v) { return v.toInt(); }
template <> long long FromVariant<long long>(const QVariant& v)
{
    if (v.userType() == QMetaType::LongLong)
        return v.value<qlonglong>();
    bool ok = false;
    const qlonglong converted = v.toLongLong(&ok);
    return ok ? converted : 0;
}
template <> double FromVariant<double>(const QVariant& v) { return v.toDouble(); }
template <> std::string FromVariant<std::string>(const QVariant& v) { return v.toString().toStdString(); }
template <> std::vector<unsigned char> FromVariant<std::vector<unsigned char>>(const QVariant& v)
{
    return Kavrel::Util::QByteArrayToVectorByte(v.toByteArray());
}

// The observer's call for each type.
auto NotificationFor(bool) { return &ISettingsManagerObserver::OnBoolChanged; }
auto NotificationFor(int) { return &ISettingsManagerObserver::OnIntChanged; }
auto NotificationFor(long long) { return &ISettingsManagerObserver::OnInt64Changed; }
auto NotificationFor(double) { return &ISettingsManagerObserver::OnDoubleChanged; }
auto NotificationFor(const std::string&) { return &ISettingsManagerObserver::OnStringChanged; }
auto NotificationFor(const std::vector<unsigned char>&)
{
    return &ISettingsManagerObserver::OnByteArrayChanged;
}

// A value in the type a caller used. The index doubles as the key's type for
// changes that arrive from another process.
using Typed =
    std::variant<std::monostate, bool, int, long long, double, std::string, std::vector<unsigned char>>;
template <class T> size_t TypeIndex() { return Typed(std::in_place_type<T>).index(); }

// Calls `use` with a default value of the type at `index`; text when unknown.
template <class Use> void WithType(size_t index, Use use)
{
    switch (index)
    {
    case 1:
        use(false);
        break;
    case 2:
        use(0);
        break;
    case 3:
        use(0LL);
        break;
    case 4:
        use(0.0);
        break;
    case 6:
        use(std::vector<unsigned char>());
        break;
    default:
        use(std::string());
        break;
    }
}

// The key QSettings stores a value under: no leading or trailing slash, no
// empty sections. Two spellings of one key must share one cache entry.
QString NormalizedKey(const QString& key)
{
    QString result;
    result.reserve(key.size());
    for (const QString& section : key.split(QLatin1Char('/'), Qt::SkipEmptyParts))
    {
        if (!result.isEmpty())
            result += QLatin1Char('/');
        result += section;
    }
    return result;
}

struct QStringHash
{
    size_t operator()(const QString& text) const { return qHash(text); }
};

// Larger files are left to QSettings unchecked.
constexpr int MAX_CHECKED_SIZE = 16 * 1024 * 1024;

// Why a file changed by someone else is not read now: cut short (every line
// QSettings writes ends with a line end) or no settings file (QSettings
// cannot tell a section header without its bracket, and keeps reporting a
// format error once it met one). Empty when whole.
const char* Damage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr; // gone or unreadable: QSettings reads it as empty
    const QByteArray content = file.read(MAX_CHECKED_SIZE + 1);
    if (content.size() > MAX_CHECKED_SIZE)
        return nullptr;
    if (!content.isEmpty() && !content.endsWith('\n'))
        return "its last line is incomplete; it is read when it is whole";
    for (const QByteArray& line : content.split('\n'))
        if (line.trimmed().startsWith('[') && !line.contains(']'))
            return "it is no settings file (a section without its closing bracket); it is read when it is "
                   "whole";
    return nullptr;
}

// A hostile or careless caller could use a new key on every call.
constexpr size_t MAX_CACHED_KEYS = 4096;
// Another process's save is usually several file events; the store reads once
// the file has been quiet this long.
constexpr int FOLLOW_DELAY_MS = 50;
} // namespace

class KAVRELAPPLICATION_NO_EXPORT SettingsManager::Private
{
public:
    // The QSettings underneath, whose own saves and re-reads pass through the
    // store so that the cache never outlives what it mirrors.
    class Store final : public QSettings
    {
    public:
        template <class... Arguments>
        explicit Store(Private& owner, Arguments&&... arguments)
            : QSettings(std::forward<Arguments>(arguments)...), owner(owner)
        {
        }

    protected:
        bool event(QEvent* event) override
        {
            if (event->type() != QEvent::UpdateRequest)
                return QSettings::event(event);
            bool handled = false;
            owner.Synchronise([&] { handled = QSettings::event(event); }, true);
            return handled;
        }

    private:
        Private& owner;
    };

    struct Entry
    {
        QString key;     // as QSettings stores it
        QVariant stored; // what QSettings returns for the key; invalid when absent
        bool present = false; // also for a value QSettings cannot decode
        Typed read;      // the last typed read of `stored`
        Typed equal;     // the last value whose variant compared equal to `stored`
    };

    // A value another process wrote, typed as this process last used the key.
    struct ForeignChange
    {
        std::string key;
        QVariant value;
        QVariant previous;
        size_t type;
    };
    using Changes = std::vector<ForeignChange>;

    template <class... Arguments>
    explicit Private(bool cached, Arguments&&... arguments)
        : settings(*this, std::forward<Arguments>(arguments)...), cached(cached)
    {
        fileName = settings.fileName();
        stamp = FileStamp::Of(fileName);
    }

    // Writes and announces one change; see SetBool and the others.
    template <class T> void Set(const std::string& key, const T& value);
    // False when the key holds no value.
    template <class T> bool Get(const std::string& key, T& value) const;
    void DropCache() const
    {
        byCallerKey.clear();
        entries.clear();
    }
    // The cache entry of a key, read from QSettings when new; null for a key
    // the store cannot hold. Called with storeMutex held.
    Entry* Find(const std::string& key) const;
    // Runs a save or re-read of QSettings and announces what another process
    // changed meanwhile.
    void Synchronise(const std::function<void()>& sync, bool announce);
    void Follow();
    void WatchFile();
    void Deliver(const Changes& changes);
    template <class T> void Announce(const std::string& key, const T& value, const QVariant& previousValue);
    // Logs, once per store, that changes cannot be written. Called with
    // storeMutex held.
    void ReportWriteFailure();

    Store settings;
    Kavrel::Core::EventHandlerList<ISettingsManagerObserver, Kavrel::Core::SyncExecutePolicy> handlers;
    // QSettings is not safe for concurrent use: every access is guarded, a
    // setter's read, compare and write as one step.
    mutable std::mutex storeMutex;
    std::recursive_mutex changeMutex;
    bool writabilityChecked = false;
    bool writeFailureReported = false;

    // Off for a store that another process can change without a file to
    // watch (the registry on Windows): there QSettings reads live.
    const bool cached;
    mutable std::unordered_map<std::string, Entry*> byCallerKey;
    mutable std::unordered_map<QString, Entry, QStringHash> entries;
    // Survives cache drops: how this process reads each key.
    mutable std::unordered_map<QString, size_t, QStringHash> keyTypes;

    QString fileName;
    FileStamp stamp; // the file as QSettings last read or wrote it
    std::unique_ptr<QObject> follower;
    QFileSystemWatcher* watcher = nullptr;
    QTimer* followTimer = nullptr;
};

// A registry path in the native format names the matching settings file
// outside Windows. Files are written so that a failed write keeps the old
// file (see CheckedSettingsFormat).
SettingsManager::SettingsManager(const QString& fileName, QSettings::Format format)
#ifdef Q_OS_WIN
    : d(std::make_unique<Private>(format != QSettings::NativeFormat, fileName,
                                  Kavrel::Util::CheckedSettingsFormat(format)))
#else
    : d(std::make_unique<Private>(
          true, format == QSettings::NativeFormat ? Kavrel::Util::NativeSettingsPath(fileName) : fileName,
          Kavrel::Util::CheckedSettingsFormat(format)))
#endif
{
    d->Follow();
}

SettingsManager::SettingsManager(const QString& application, const QString& organization)
#ifdef Q_OS_WIN
    : d(std::make_unique<Private>(false, Kavrel::Util::CheckedSettingsFormat(QSettings::defaultFormat()),
                                  QSettings::UserScope, organization, application))
#else
    : d(std::make_unique<Private>(true, Kavrel::Util::CheckedSettingsFormat(QSettings::defaultFormat()),
                                  QSettings::UserScope, organization, application))
#endif
{
    d->Follow();
}

SettingsManager::~SettingsManager()
{
    d->follower.reset();
    std::lock_guard<std::mutex> lock(d->storeMutex);
    d->settings.sync();
    if (d->settings.status() == QSettings::AccessError)
        d->ReportWriteFailure();
}

void SettingsManager::Private::ReportWriteFailure()
{
    if (writeFailureReported)
        return;
    writeFailureReported = true;
    LOG(ERROR) << "The settings store [" << settings.fileName().toStdString()
               << "] cannot be written; changes made to it are lost when the program ends";
}

// Another process's save reaches this one through the file: watched on the
// store's thread, which needs an event loop; the folder too, because a save
// replaces the file.
void SettingsManager::Private::Follow()
{
    if (!cached || !QCoreApplication::instance() ||
        !QAbstractEventDispatcher::instance(QThread::currentThread()))
        return;
    follower = std::make_unique<QObject>();
    watcher = new QFileSystemWatcher(follower.get());
    followTimer = new QTimer(follower.get());
    followTimer->setSingleShot(true);
    followTimer->setInterval(FOLLOW_DELAY_MS);
    QObject::connect(watcher, &QFileSystemWatcher::fileChanged, followTimer, qOverload<>(&QTimer::start));
    QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, followTimer,
                     qOverload<>(&QTimer::start));
    QObject::connect(followTimer, &QTimer::timeout, follower.get(),
                     [this]
                     {
                         Synchronise([this] { settings.sync(); }, true);
                         WatchFile();
                     });
    WatchFile();
}

void SettingsManager::Private::WatchFile()
{
    if (!watcher)
        return;
    const QString folder = QFileInfo(fileName).absolutePath();
    if (!watcher->directories().contains(folder) && QFileInfo::exists(folder))
        watcher->addPath(folder);
    if (!watcher->files().contains(fileName) && QFileInfo::exists(fileName))
        watcher->addPath(fileName);
}

void SettingsManager::Private::Synchronise(const std::function<void()>& sync, bool announce)
{
    std::lock_guard<std::recursive_mutex> change(changeMutex);
    Changes changes;
    {
        std::lock_guard<std::mutex> lock(storeMutex);
        // Only a file that someone else rewrote needs the comparison.
        const bool foreign = announce && FileStamp::Of(fileName) != stamp;
        if (const char* damage = foreign ? Damage(fileName) : nullptr)
        {
            // Written in place and not finished, cut short by a crash, or
            // garbage: nothing of it is taken until it is written again.
            LOG(WARNING) << "The settings store [" << fileName.toStdString() << "] was changed on disk but "
                         << damage;
            return;
        }
        QMap<QString, QVariant> before;
        if (foreign)
            for (const QString& key : settings.allKeys())
                before.insert(key, settings.value(key));
        sync();
        stamp = FileStamp::Of(fileName);
        DropCache();
        if (!foreign)
            return;
        // allKeys() is sorted: observers hear the changes in key order.
        for (const QString& key : settings.allKeys())
        {
            const QVariant value = settings.value(key);
            const QVariant previous = before.value(key);
            const auto type = keyTypes.find(key);
            const size_t index = type == keyTypes.end() ? TypeIndex<std::string>() : type->second;
            // Changed as the observer will see it, in the key's own type.
            bool changed = !previous.isValid();
            WithType(index,
                     [&](auto sample)
                     {
                         using T = decltype(sample);
                         changed = changed || FromVariant<T>(previous) != FromVariant<T>(value);
                     });
            if (changed)
                changes.push_back({Kavrel::Util::QStringToUtf8(key), value, previous, index});
        }
    }
    Deliver(changes);
}

void SettingsManager::Private::Deliver(const Changes& changes)
{
    for (const ForeignChange& change : changes)
        WithType(change.type,
                 [&](auto sample)
                 {
                     using T = decltype(sample);
                     Announce(change.key, FromVariant<T>(change.value), change.previous);
                 });
}

template <class T>
void SettingsManager::Private::Announce(const std::string& key, const T& value, const QVariant& previousValue)
{
    boost::optional<T> previous;
    if (previousValue.isValid())
        previous = FromVariant<T>(previousValue);
    handlers.Notify([&](ISettingsManagerObserver* observer)
                    { (observer->*NotificationFor(value))(key, value, previous); });
}

void SettingsManager::RegisterObserver(ISettingsManagerObserver* observer)
{
    d->handlers.Subscribe(observer);
}

void SettingsManager::UnregisterObserver(ISettingsManagerObserver* observer)
{
    d->handlers.Unsubscribe(observer);
}

SettingsManager::Private::Entry* SettingsManager::Private::Find(const std::string& key) const
{
    if (!cached)
        DropCache();
    const auto known = byCallerKey.find(key);
    if (known != byCallerKey.end())
        return known->second;
    QString storeKey = NormalizedKey(Utf8ToQString(key));
    if (storeKey.isEmpty())
        return nullptr; // the store keeps no value under an empty key
    if (byCallerKey.size() >= MAX_CACHED_KEYS)
        DropCache();
    auto inserted = entries.try_emplace(storeKey);
    Entry* entry = &inserted.first->second;
    if (inserted.second)
    {
        entry->stored = settings.value(storeKey);
        // A damaged "@Variant(...)" reads as nothing, yet the key is there.
        entry->present = entry->stored.isValid() || settings.contains(storeKey);
        entry->key = std::move(storeKey);
    }
    byCallerKey.emplace(key, entry);
    return entry;
}

template <class T> void SettingsManager::Private::Set(const std::string& key, const T& value)
{
    // Changes from several threads are written and announced one at a time,
    // so observers never hear an older value last. Recursive: an observer may
    // set values itself.
    std::lock_guard<std::recursive_mutex> change(changeMutex);
    QVariant previous;
    {
        // One lock over read, compare and write: two threads setting the same
        // key cannot both announce the change.
        std::lock_guard<std::mutex> lock(storeMutex);
        Entry* entry = Find(key);
        if (!entry)
            return;
        // The value last compared or written needs no conversion at all.
        if (const T* equal = std::get_if<T>(&entry->equal); equal && *equal == value)
            return;
        keyTypes[entry->key] = TypeIndex<T>();
        const QVariant newValue = ToVariant(value);
        if (newValue == entry->stored)
        {
            entry->equal = value;
            return;
        }
        previous = entry->stored;
        settings.setValue(entry->key, newValue);
        entry->stored = newValue;
        entry->present = true;
        entry->read = Typed();
        entry->equal = value;
        // QSettings writes later and silently: the first change asks whether
        // it will be able to.
        if (!writabilityChecked)
        {
            writabilityChecked = true;
            if (!settings.isWritable())
                ReportWriteFailure();
        }
    }
    Announce(key, value, previous);
}

template <class T> bool SettingsManager::Private::Get(const std::string& key, T& value) const
{
    std::lock_guard<std::mutex> lock(storeMutex);
    Entry* entry = Find(key);
    if (!entry)
        return false;
    if (!std::holds_alternative<T>(entry->read))
    {
        // Also for a missing key: a value another process adds later is
        // announced in this type.
        keyTypes[entry->key] = TypeIndex<T>();
        entry->read = entry->stored.isValid() ? FromVariant<T>(entry->stored) : T();
    }
    if (!entry->stored.isValid())
        return false;
    value = std::get<T>(entry->read);
    return true;
}

void SettingsManager::SetBool(const std::string& key, bool value) { d->Set(key, value); }

void SettingsManager::SetInt(const std::string& key, int value) { d->Set(key, value); }

void SettingsManager::SetString(const std::string& key, const std::string& value) { d->Set(key, value); }

void SettingsManager::SetByteArray(const std::string& key, const std::vector<unsigned char>& value)
{
    d->Set(key, value);
}

void SettingsManager::SetInt64(const std::string& key, long long value) { d->Set(key, value); }

void SettingsManager::SetDouble(const std::string& key, double value) { d->Set(key, value); }

bool SettingsManager::GetBool(const std::string& key, bool defaultValue) const
{
    bool value;
    return d->Get(key, value) ? value : defaultValue;
}

int SettingsManager::GetInt(const std::string& key, int defaultValue) const
{
    int value;
    return d->Get(key, value) ? value : defaultValue;
}

std::string SettingsManager::GetString(const std::string& key, const std::string& defaultValue) const
{
    std::string value;
    if (d->Get(key, value))
        return value;
    // The default travels like a stored value would: cut at its first NUL.
    return FromVariant<std::string>(ToVariant(defaultValue));
}

std::vector<unsigned char> SettingsManager::GetByteArray(const std::string& key,
                                                         const std::vector<unsigned char>& defaultValue) const
{
    std::vector<unsigned char> value;
    return d->Get(key, value) ? value : defaultValue;
}

long long SettingsManager::GetInt64(const std::string& key, long long defaultValue) const
{
    long long value;
    return d->Get(key, value) ? value : defaultValue;
}

double SettingsManager::GetDouble(const std::string& key, double defaultValue) const
{
    double value;
    return d->Get(key, value) ? value : defaultValue;
}

bool SettingsManager::Contains(const std::string& key) const
{
    std::lock_guard<std::mutex> lock(d->storeMutex);
    const Private::Entry* entry = d->Find(key);
    return entry && entry->present;
}

// A key names its whole group as well: QSettings removes both, so every
// cached entry may be gone.
void SettingsManager::Remove(const std::string& key)
{
    std::lock_guard<std::mutex> lock(d->storeMutex);
    d->settings.remove(Utf8ToQString(key));
    d->DropCache();
}

std::vector<std::string> SettingsManager::GetKeys(const std::string& group) const
{
    // QSettings ignores slashes around a group name; so does the prefix.
    QString prefix = NormalizedKey(Utf8ToQString(group));
    if (!prefix.isEmpty())
        prefix += QLatin1Char('/');
    QStringList keys;
    {
        std::lock_guard<std::mutex> lock(d->storeMutex);
        keys = d->settings.allKeys();
    }
    std::vector<std::string> found;
    for (const QString& key : keys)
        if (key.startsWith(prefix))
            found.push_back(Kavrel::Util::QStringToUtf8(key.mid(prefix.size())));
    return found;
}

} // namespace Kavrel::App
