#include <Kavrel/App/Application/SettingsManager.h>
#include <Kavrel/Util/CheckedSettingsFormat.h>
#include <Kavrel/Util/NativeSettingsPath.h>
#include <Kavrel/Util/StringConversions.h>

#include <Kavrel/Core/EventHandlerList.h>
#include <Kavrel/Core/SyncExecutePolicy.h>

#include <QVariant>

#include <glog/logging.h>

#include <mutex>

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
} // namespace

class SettingsManager::Private
{
public:
    template <class... Arguments>
    explicit Private(Arguments&&... arguments) : settings(std::forward<Arguments>(arguments)...)
    {
    }

    // Writes and announces one change; see SetBool and the others.
    template <class T, class Notification>
    void Set(const std::string& key, const T& value, const QVariant& newValue, Notification notification);
    bool UpdateValue(const std::string& key, const QVariant& newValue, QVariant& previousValue);
    QVariant GetValue(const std::string& key, const QVariant& defaultValue) const;
    // Logs, once per store, that changes cannot be written. Called with
    // storeMutex held.
    void ReportWriteFailure();

    QSettings settings;
    Kavrel::Core::EventHandlerList<ISettingsManagerObserver, Kavrel::Core::SyncExecutePolicy> handlers;
    // QSettings is not safe for concurrent use: every access is guarded, a
    // setter's read, compare and write as one step.
    mutable std::mutex storeMutex;
    std::recursive_mutex changeMutex;
    bool writabilityChecked = false;
    bool writeFailureReported = false;
};

// A registry path in the native format names the matching settings file
// outside Windows. Files are written so that a failed write keeps the old
// file (see CheckedSettingsFormat).
SettingsManager::SettingsManager(const QString& fileName, QSettings::Format format)
    : d(std::make_unique<Private>(
          format == QSettings::NativeFormat ? Kavrel::Util::NativeSettingsPath(fileName) : fileName,
          Kavrel::Util::CheckedSettingsFormat(format)))
{
}

SettingsManager::SettingsManager(const QString& application, const QString& organization)
    : d(std::make_unique<Private>(Kavrel::Util::CheckedSettingsFormat(QSettings::defaultFormat()),
                                  QSettings::UserScope, organization, application))
{
}

SettingsManager::~SettingsManager()
{
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

void SettingsManager::RegisterObserver(ISettingsManagerObserver* observer)
{
    d->handlers.Subscribe(observer);
}

void SettingsManager::UnregisterObserver(ISettingsManagerObserver* observer)
{
    d->handlers.Unsubscribe(observer);
}

template <class T, class Notification>
void SettingsManager::Private::Set(const std::string& key, const T& value, const QVariant& newValue,
                                   Notification notification)
{
    // Changes from several threads are written and announced one at a time,
    // so observers never hear an older value last. Recursive: an observer may
    // set values itself.
    std::lock_guard<std::recursive_mutex> change(changeMutex);
    QVariant previousValue;
    if (!UpdateValue(key, newValue, previousValue))
        return;
    boost::optional<T> previous;
    if (previousValue.isValid())
        previous = FromVariant<T>(previousValue);
    handlers.Notify([&](ISettingsManagerObserver* observer)
                    { (observer->*notification)(key, value, previous); });
}

void SettingsManager::SetBool(const std::string& key, bool value)
{
    d->Set(key, value, ToVariant(value), &ISettingsManagerObserver::OnBoolChanged);
}

void SettingsManager::SetInt(const std::string& key, int value)
{
    d->Set(key, value, ToVariant(value), &ISettingsManagerObserver::OnIntChanged);
}

void SettingsManager::SetString(const std::string& key, const std::string& value)
{
    d->Set(key, value, ToVariant(value), &ISettingsManagerObserver::OnStringChanged);
}

void SettingsManager::SetByteArray(const std::string& key, const std::vector<unsigned char>& value)
{
    d->Set(key, value, ToVariant(value), &ISettingsManagerObserver::OnByteArrayChanged);
}

void SettingsManager::SetInt64(const std::string& key, long long value)
{
    d->Set(key, value, ToVariant(value), &ISettingsManagerObserver::OnInt64Changed);
}

void SettingsManager::SetDouble(const std::string& key, double value)
{
    d->Set(key, value, ToVariant(value), &ISettingsManagerObserver::OnDoubleChanged);
}

bool SettingsManager::GetBool(const std::string& key, bool defaultValue) const
{
    const QVariant stored = d->GetValue(key, QVariant());
    return stored.isValid() ? FromVariant<bool>(stored) : defaultValue;
}

int SettingsManager::GetInt(const std::string& key, int defaultValue) const
{
    const QVariant stored = d->GetValue(key, QVariant());
    return stored.isValid() ? FromVariant<int>(stored) : defaultValue;
}

std::string SettingsManager::GetString(const std::string& key, const std::string& defaultValue) const
{
    // The default travels like a stored value would: cut at its first NUL.
    const QVariant stored = d->GetValue(key, QVariant());
    return FromVariant<std::string>(stored.isValid() ? stored : ToVariant(defaultValue));
}

std::vector<unsigned char> SettingsManager::GetByteArray(const std::string& key,
                                                         const std::vector<unsigned char>& defaultValue) const
{
    const QVariant stored = d->GetValue(key, QVariant());
    return stored.isValid() ? FromVariant<std::vector<unsigned char>>(stored) : defaultValue;
}

long long SettingsManager::GetInt64(const std::string& key, long long defaultValue) const
{
    const QVariant stored = d->GetValue(key, QVariant());
    return stored.isValid() ? FromVariant<long long>(stored) : defaultValue;
}

double SettingsManager::GetDouble(const std::string& key, double defaultValue) const
{
    const QVariant stored = d->GetValue(key, QVariant());
    return stored.isValid() ? FromVariant<double>(stored) : defaultValue;
}

bool SettingsManager::Contains(const std::string& key) const
{
    std::lock_guard<std::mutex> lock(d->storeMutex);
    return d->settings.contains(Utf8ToQString(key));
}

void SettingsManager::Remove(const std::string& key)
{
    std::lock_guard<std::mutex> lock(d->storeMutex);
    d->settings.remove(Utf8ToQString(key));
}

std::vector<std::string> SettingsManager::GetKeys(const std::string& group) const
{
    // QSettings ignores slashes around a group name; so does the prefix.
    QString prefix = Utf8ToQString(group);
    while (prefix.startsWith(QLatin1Char('/')))
        prefix.remove(0, 1);
    while (prefix.endsWith(QLatin1Char('/')))
        prefix.chop(1);
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

bool SettingsManager::Private::UpdateValue(const std::string& key, const QVariant& newValue,
                                           QVariant& previousValue)
{
    // One lock over read, compare and write: two threads setting the same key
    // cannot both announce the change.
    const QString storeKey = Utf8ToQString(key);
    if (storeKey.isEmpty())
        return false; // the store keeps no value under an empty key
    std::lock_guard<std::mutex> lock(storeMutex);
    previousValue = settings.value(storeKey);
    if (newValue == previousValue)
        return false;
    settings.setValue(storeKey, newValue);
    // QSettings writes later and silently: the first change asks whether
    // it will be able to.
    if (!writabilityChecked)
    {
        writabilityChecked = true;
        if (!settings.isWritable())
            ReportWriteFailure();
    }
    return true;
}

QVariant SettingsManager::Private::GetValue(const std::string& key, const QVariant& defaultValue) const
{
    const QString storeKey = Utf8ToQString(key);
    std::lock_guard<std::mutex> lock(storeMutex);
    return settings.value(storeKey, defaultValue);
}

} // namespace Kavrel::App
