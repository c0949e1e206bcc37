#include <Kavrel/Platform/Process.h>
#include <Kavrel/Util/Process.h>
#include <Kavrel/Util/StringConversions.h>

#include <QFile>

namespace Kavrel::Util
{

unsigned long CurrentProcessId() { return Platform::GetCurrentProcessId(); }

bool IsProcessRunning(unsigned long pid, const QString& executablePath)
{
    return Platform::IsProcessRunning(pid, QFile::encodeName(executablePath).toStdString());
}

} // namespace Kavrel::Util
