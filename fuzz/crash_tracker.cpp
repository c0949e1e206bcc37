// The crash records file as the crash tracker reads it at start-up:
// whatever it holds, a record of a process that is not running counts as a
// crash, and once the tracker is gone no such record is left, nor ours.
#include "FuzzSupport.h"

#include <Kavrel/App/Application/CrashTracker.h>
#include <Kavrel/Util/CheckedSettingsFormat.h>

#include <QCoreApplication>
#include <QSettings>

#include <fcntl.h>
#include <sys/stat.h>

namespace
{
int argc = 1;
char name[] = "fuzz_crash_tracker";
char* argv[] = {name, nullptr};
long long serial = 0;

// Read as the tracker reads it: Qt shares one parse of a file among all its
// QSettings in the process, so a plain INI reading first would be the
// tracker's too.
QStringList Keys(const QString& file)
{
    return QSettings(file, Kavrel::Util::CheckedSettingsFormat(QSettings::IniFormat)).allKeys();
}

bool OurProcess(const QString& key) { return key.toULong(nullptr, 10) == static_cast<unsigned long>(::getpid()); }
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Kavrel::Fuzz::Prepare();
    new QCoreApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    const QString file = Kavrel::App::CrashTracker::TrackerFilePath();
    Kavrel::Fuzz::WriteFile(file.toStdString(), data, size);
    // QSettings re-reads a file it knows only when its size or time changed.
    const struct timespec times[2] = {{1000000000 + ++serial, 0}, {1000000000 + serial, 0}};
    ::utimensat(AT_FDCWD, file.toLocal8Bit().constData(), times, 0);

    bool crashExpected = false;
    for (const QString& key : Keys(file))
        crashExpected = crashExpected || !OurProcess(key);
    {
        Kavrel::App::CrashTracker tracker;
        KAVREL_FUZZ_EXPECT(tracker.HasUnreportedCrash() == crashExpected);
    }
    const QString own = QString::number(::getpid());
    for (const QString& key : Keys(file))
        KAVREL_FUZZ_EXPECT(OurProcess(key) && key != own);
    return 0;
}
