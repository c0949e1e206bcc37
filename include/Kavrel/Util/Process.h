#pragma once

#include <Kavrel/Util/KavrelUtilExport.h>

#include <QString>

namespace Kavrel::Util
{

KAVRELUTIL_EXPORT unsigned long CurrentProcessId();

/// True exactly when a process with this id exists and runs the executable at
/// executablePath; a reused id running another program gives false.
KAVRELUTIL_EXPORT bool IsProcessRunning(unsigned long pid, const QString& executablePath);

} // namespace Kavrel::Util
