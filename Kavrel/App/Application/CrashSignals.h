#pragma once

#include <string>

namespace Kavrel::App::CrashSignals
{

// What happens at a fatal signal (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT)
// and at a termination request (SIGTERM, SIGHUP). Everything that runs in
// the handlers is async-signal-safe: writes to descriptors opened before,
// nothing allocated.

// The session record the handlers write the ending into (fixed-size state
// field at offset 0); -1 for none.
void SetSessionRecord(int fd);

// Fatal signals: the ending is recorded, then whatever handled the signal
// before runs (glog's backtrace writer, a product's own handler, or the
// default action, so exit status and core dumps stay as they were).
// Termination requests, where nobody else handles them: the ending is
// recorded and terminationFd (an event) is set, for the application to quit
// through its normal path; a second request ends the process at once.
// Safe to call again: handlers already ours are left alone.
void InstallSessionHandlers(int terminationFd);

// At the start of logging: glog's backtrace writer for the fatal signals
// (writing to standard error and to crashFile), under our recording; a
// handler the product installed before keeps its signal, and termination
// requests stay ours.
void InstallBacktraceWriter(const std::string& crashFile);

// The signal's name ("SIGSEGV"), or its number as text.
std::string SignalName(int signal);

} // namespace Kavrel::App::CrashSignals
