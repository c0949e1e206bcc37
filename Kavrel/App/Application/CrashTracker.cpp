#include <Kavrel/App/Application/CrashTracker.h>
#include <Kavrel/App/Application/ProductConstants.h>
#include <Kavrel/Util/CheckedSettingsFormat.h>
#include <Kavrel/Util/Process.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <glog/logging.h>

namespace Kavrel::App
{

namespace
{
QString CurrentKey() { return QString::number(Kavrel::Util::CurrentProcessId(), 10); }
} // namespace

class CrashTracker::Private
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
    bool crashFound = false;
    bool emptyKeyFound = false;
    QStringList liveKeys;
    const QStringList keys = d->settings.allKeys();
    for (const QString& key : keys)
    {
        // A key that is not a number reads as process 0, which never runs.
        const unsigned long pid = key.toULong(nullptr, 10);
        if (Kavrel::Util::IsProcessRunning(pid, executable))
        {
            liveKeys << key;
            continue;
        }
        crashFound = true;
        if (key.isEmpty())
            emptyKeyFound = true;
        else
            d->settings.remove(key);
    }
    // A damaged file can hold an empty key, and removing "" would remove
    // every key: drop it by writing back only the live records.
    if (emptyKeyFound)
    {
        d->settings.clear();
        for (const QString& key : liveKeys)
            d->settings.setValue(key, true);
    }
    return crashFound;
}

} // namespace Kavrel::App
