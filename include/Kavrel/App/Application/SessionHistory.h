#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <QString>

#include <memory>

namespace Kavrel::App
{

/// How the sessions of this executable ended, kept beside the crash
/// tracker's records: one small record per session, whose ending a signal
/// handler may write (a fatal signal, a termination request), and which the
/// next start reads and clears. Also counts start-up crashes in a row, so
/// that a product can offer a safe mode. The Application keeps one from its
/// construction on.
class KAVRELAPPLICATION_EXPORT SessionHistory
{
public:
    enum Ending
    {
        NoSession,          ///< nothing recorded before this one
        NormalQuit,         ///< the event loop ended and the program quit
        Crash,              ///< a fatal signal; see signal
        TerminationRequest, ///< SIGTERM or SIGHUP, as at logout or shutdown
        Unknown             ///< the record was left behind: SIGKILL, power loss, a damaged record
    };

    struct SessionEnd
    {
        Ending ending = NoSession;
        int signal = 0; ///< for Crash and TerminationRequest
    };

    /// A session that ends before it has lived this long after
    /// ApplicationStarted counts as a start-up crash when it crashed (or its
    /// ending is unknown).
    static constexpr int STARTUP_WINDOW_MS = 30000;

    /// Reads and clears the records of ended sessions, then records this one.
    /// terminationEvent is set when a termination request arrives (-1: none).
    explicit SessionHistory(int terminationEvent = -1);
    ~SessionHistory();

    SessionHistory(const SessionHistory&) = delete;
    SessionHistory& operator=(const SessionHistory&) = delete;

    /// The latest-started session of this executable that has ended.
    SessionEnd PreviousSession() const;
    /// Sessions in a row that ended badly within the start-up window.
    int StartupCrashStreak() const;

    /// The session lived past the start-up window: it no longer counts as a
    /// start-up crash, and the streak is over.
    void MarkPastStartup();
    /// The program quits through its normal path; a termination request
    /// recorded before stays the ending.
    void MarkQuit();

    /// `<data location>/Kavrel/<product id> <major>.<minor>/sessions/`
    static QString RecordFolder();

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
