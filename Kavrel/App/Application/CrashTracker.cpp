#include <Kavrel/App/Application/CrashTracker.h>
#include <Kavrel/App/Application/ProductConstants.h>
#include <Kavrel/Platform/Process.h>
#include <Kavrel/Util/CheckedSettingsFormat.h>
#include <Kavrel/Util/Process.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <glog/logging.h>

#include <algorithm>

namespace Kavrel::App
{

namespace
{
QString CurrentKey() { return QString::number(Kavrel::Util::CurrentProcessId(), 10); }
} // namespace

class KAVRELAPPLICATION_NO_EXPORT CrashTracker::Private
{
public:
    // A failed write keeps the old records (see CheckedSettingsFormat).
    Private() : settings(TrackerFilePath(), Kavrel::Util::CheckedSettingsFormat(QSettings::IniFormat)) {}
    QSettings settings;
    bool hasUnreportedCrash = false;
    bool writeFailureLogged = false;
};

QString CrashTracker::TrackerFilePath()
{
    const QString separator = QDir::separator();
    return QStandardPaths::writableLocation(QStandardPaths::DataLocation) + separator +
           QLatin1String(ProductConstants::OrganizationFolder) + separator +
           QString::fromStdString(ProductConstants::ProductId()) + QLatin1Char(' ') +
           QString::fromStdString(ProductConstants::ProductVersionMajor()) + QLatin1Char('.') +
           QString::fromStdString(ProductConstants::ProductVersionMinor()) + separator +
           QFileInfo(QCoreApplication::applicationFilePath()).baseName() + QStringLiteral(".ini");
}

CrashTracker::CrashTracker() : d(std::make_unique<Private>())
{
    d->hasUnreportedCrash = CheckCrashedSessions();
    StartSession();
}

CrashTracker::~CrashTracker()
{
    d->settings.remove(CurrentKey());
    Write();
}

bool CrashTracker::HasUnreportedCrash() { return d->hasUnreportedCrash; }

void CrashTracker::StopSession()
{
    d->settings.remove(CurrentKey());
    Write();
}

void CrashTracker::ClearHistory()
{
    d->settings.clear();
    Write();
}

void CrashTracker::StartSession()
{
    d->settings.setValue(CurrentKey(), true);
    Write(); // also writes the removals of the check before it
}

void CrashTracker::Write()
{
    d->settings.sync();
    if (d->settings.status() != QSettings::AccessError || d->writeFailureLogged)
        return;
    d->writeFailureLogged = true;
    LOG(ERROR) << "The crash records [" << d->settings.fileName().toStdString()
               << "] cannot be written: crashes of this run may go unreported";
}

bool CrashTracker::CheckCrashedSessions()
{
    const QString executable = QCoreApplication::applicationFilePath();
    QStringList liveKeys;
    const QStringList keys = d->settings.allKeys();
    // Listed after the records were read: a record's process that runs is in
    // the list. Only those are looked at one by one.
    const std::vector<unsigned long> running = Kavrel::Platform::ListRunningProcessIds();
    for (const QString& key : keys)
    {
        // A key that is not a number reads as process 0, which never runs.
        const unsigned long pid = key.toULong(nullptr, 10);
        if (std::binary_search(running.begin(), running.end(), pid) &&
            Kavrel::Util::IsProcessRunning(pid, executable))
            liveKeys << key;
    }
    if (liveKeys.size() == keys.size())
        return false;
    // Writing back only the live records costs one pass, where removing each
    // stale one would search the whole store each time. It also drops an
    // empty key that a damaged file can hold, which remove("") cannot: that
    // would remove every key.
    d->settings.clear();
    for (const QString& key : liveKeys)
        d->settings.setValue(key, true);
    return true;
}

} // namespace Kavrel::App
