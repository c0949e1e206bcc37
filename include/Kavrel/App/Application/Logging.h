#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <QString>

#include <chrono>
#include <string>

namespace Kavrel::App
{

/// Sets up the process log: files go to `<base>/Kavrel/Logs/<product>/`, where
/// `<base>` is the per-user application data folder. Log files of this
/// executable created more than daysToKeep days ago are deleted first.
/// Severities below lowestFileSeverity (0 INFO .. 3 FATAL) get no file.
/// Returns true when this call set logging up; false when logging was already
/// initialised (with a warning) or no log folder could be had.
KAVRELAPPLICATION_EXPORT bool InitLogging(const std::wstring& productName, int lowestFileSeverity,
                                          long long daysToKeep);

/// The same with the time the old-log sweep counts from.
KAVRELAPPLICATION_EXPORT bool InitLogging(const std::wstring& productName, int lowestFileSeverity,
                                          long long daysToKeep, std::chrono::system_clock::time_point now);

/// Filter for Qt's messages: drops the noise that starts with "libpng warning".
KAVRELAPPLICATION_EXPORT bool IsAcceptedQtMessage(const QString& message);

} // namespace Kavrel::App
