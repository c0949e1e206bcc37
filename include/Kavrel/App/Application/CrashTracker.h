#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <QString>

#include <memory>

namespace Kavrel::App
{

/// Tells at start-up whether an earlier run of the same executable ended
/// without shutting down properly. Every running instance keeps its process
/// id in a small per-user INI file and removes it when it quits; an id left by
/// a process that no longer runs this executable marks a crash.
class KAVRELAPPLICATION_EXPORT CrashTracker
{
public:
    /// Checks the records for crashed sessions, then records this process.
    CrashTracker();
    /// Removes this process's record once more and writes the file.
    ~CrashTracker();

    CrashTracker(const CrashTracker&) = delete;
    CrashTracker& operator=(const CrashTracker&) = delete;

    /// What the check at construction found; ClearHistory does not change it.
    bool HasUnreportedCrash();
    /// Removes this process's record: the run ended properly.
    void StopSession();
    /// Removes every record, other live instances' included.
    void ClearHistory();

    /// `<data location>/Kavrel/<ProductId> <major>.<minor>/<executable>.ini`
    static QString TrackerFilePath();

private:
    void StartSession();
    bool CheckCrashedSessions();
    /// Writes the file; the first failure is logged.
    void Write();

    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
