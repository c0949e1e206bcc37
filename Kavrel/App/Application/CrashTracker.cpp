#include <Kavrel/App/Application/CrashTracker.h>
#include <Kavrel/App/Application/ProductConstants.h>
#include <Kavrel/Platform/Process.h>
#include <Kavrel/Util/CheckedSettingsFormat.h>
#include <Kavrel/Util/Process.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include "SmallFile.h"

#include <glog/logging.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace Kavrel::App
{

namespace
{
QString CurrentKey() { return QString::number(Kavrel::Util::CurrentProcessId(), 10); }

// Far beyond what the instances of one program ever record; a larger file
// is not ours and is left alone.
constexpr qint64 RECORDS_LIMIT = 1 << 20;
const char GENERAL[] = "[General]\n";
const char RECORD_END[] = "=true";

bool IsNumber(const QString& key)
{
    return !key.isEmpty() &&
           std::all_of(key.begin(), key.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

// The records as QSettings reads them. What the tracker writes, "[General]"
// and lines "<process id>=true", is read here directly; anything else is
// left to Qt's own reading, whose keys decide what counts as a record.
bool Parse(const QByteArray& text, QSettings::SettingsMap& records)
{
    if (text.isEmpty())
        return true;
    if (text.startsWith(GENERAL) && text.endsWith('\n'))
    {
        QSettings::SettingsMap plain;
        const QList<QByteArray> lines = text.mid(sizeof GENERAL - 1).split('\n');
        bool canonical = true;
        for (int i = 0; canonical && i < lines.size() - 1; ++i)
        {
            const QString key =
                QString::fromLatin1(lines[i].left(lines[i].size() - int(sizeof RECORD_END - 1)));
            canonical = lines[i].endsWith(RECORD_END) && IsNumber(key);
            plain.insert(key, QStringLiteral("true"));
        }
        if (canonical)
        {
            records = plain;
            return true;
        }
    }
    return Kavrel::Util::ReadCheckedIni(text, records);
}

bool Format(const QSettings::SettingsMap& records, QByteArray& text)
{
    const QStringList keys = records.keys();
    if (!std::all_of(keys.begin(), keys.end(), IsNumber))
        return Kavrel::Util::WriteCheckedIni(records, text);
    text.clear();
    if (!keys.isEmpty())
        text = GENERAL;
    for (const QString& key : keys)
        text += key.toLatin1() + RECORD_END + '\n';
    return true;
}

// Instances that start or quit together change the file in turns: each
// reads, changes and writes it under a lock on its folder, which the system
// drops with the process. A holder that never lets go costs one second per
// process: once a wait has run out, later turns only try.
class FolderLock
{
public:
    explicit FolderLock(const QString& folder)
        : fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        static bool gaveUp = false; // the GUI thread's only
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(gaveUp ? 0 : 1);
        while (fd >= 0 && !(held = ::flock(fd, LOCK_EX | LOCK_NB) == 0) &&
               (errno == EWOULDBLOCK || errno == EINTR) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (fd >= 0 && !held && !gaveUp)
            LOG(WARNING)
                << "The crash records' folder [" << folder.toStdString()
                << "] stays locked by another process: its records are written without waiting longer";
        if (fd >= 0)
            gaveUp = !held;
    }
    ~FolderLock()
    {
        if (fd >= 0)
            ::close(fd);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool Opened() const { return fd >= 0; }
    bool Held() const { return held; }

private:
    int fd;
    bool held = false;
};
} // namespace

class KAVRELAPPLICATION_NO_EXPORT CrashTracker::Private
{
public:
    const QString file = TrackerFilePath();
    const QString folder = QFileInfo(file).absolutePath();
    // The changes the next write makes to the records on disk, as they are
    // then: other instances may have changed them since they were read.
    bool clear = false;
    QStringList removals;
    bool addCurrent = false;
    bool hasUnreportedCrash = false;
    bool writeFailureLogged = false;

    // False when the file is there but cannot be read: it is left as it is.
    bool Read(QSettings::SettingsMap& records) const
    {
        QByteArray text;
        const SmallFile::Read read = SmallFile::Load(file, RECORDS_LIMIT, text);
        return read == SmallFile::Read::Missing || (read == SmallFile::Read::Done && Parse(text, records));
    }
    bool Apply()
    {
        // The folder is made only when it is missing, not asked for at every
        // write: it is there at almost every one.
        std::optional<FolderLock> locked(std::in_place, folder);
        if (!locked->Opened())
        {
            if (!QDir().mkpath(folder))
                return false;
            locked.emplace(folder);
        }
        const FolderLock& lock = *locked;
        QSettings::SettingsMap records;
        if (!Read(records))
            return false;
        QSettings::SettingsMap changed = records;
        if (clear)
            changed.clear();
        for (const QString& key : removals)
            changed.remove(key);
        if (addCurrent)
            changed.insert(CurrentKey(), QStringLiteral("true"));
        // Every reader takes the lock, so the file may be written over in
        // place; without the lock a reader may be half way through it.
        QByteArray text;
        return changed == records ||
               (Format(changed, text) &&
                (lock.Held() ? SmallFile::Overwrite(file, text) : SmallFile::Replace(file, text)));
    }
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

CrashTracker::~CrashTracker() { StopSession(); }

bool CrashTracker::HasUnreportedCrash() { return d->hasUnreportedCrash; }

void CrashTracker::StopSession()
{
    d->removals = QStringList{CurrentKey()};
    Write();
}

void CrashTracker::ClearHistory()
{
    d->clear = true;
    Write();
}

void CrashTracker::StartSession()
{
    d->addCurrent = true;
    Write(); // also writes the removals of the check before it
}

void CrashTracker::Write()
{
    const bool written = d->Apply();
    d->clear = d->addCurrent = false;
    d->removals.clear();
    if (written || d->writeFailureLogged)
        return;
    d->writeFailureLogged = true;
    LOG(ERROR) << "The crash records [" << d->file.toStdString()
               << "] cannot be written: crashes of this run may go unreported";
}

bool CrashTracker::CheckCrashedSessions()
{
    const QString executable = QCoreApplication::applicationFilePath();
    QSettings::SettingsMap records;
    {
        const FolderLock lock(d->folder);
        if (!d->Read(records) || records.isEmpty())
            return false;
    }
    // Listed after the records were read: a record's process that runs is in
    // the list. Only those are looked at one by one.
    const std::vector<unsigned long> running = Kavrel::Platform::ListRunningProcessIds();
    for (auto record = records.constBegin(); record != records.constEnd(); ++record)
    {
        // A key that is not a number reads as process 0, which never runs.
        const unsigned long pid = record.key().toULong(nullptr, 10);
        if (!std::binary_search(running.begin(), running.end(), pid) ||
            !Kavrel::Util::IsProcessRunning(pid, executable))
            d->removals << record.key();
    }
    // Removed with the write of this process's record.
    return !d->removals.isEmpty();
}

} // namespace Kavrel::App
