#include "LoggingGuard.h"

#include <Kavrel/App/Application/Logging.h>
#include <Kavrel/Util/QtLogHandler.h>

#include <glog/logging.h>

namespace Kavrel::App
{

LoggingGuard& LoggingGuard::Instance()
{
    static LoggingGuard guard;
    return guard;
}

LoggingGuard::LoggingGuard() : started(InitLogging(std::wstring(), 0, 10))
{
    if (started)
    {
        auto& handler = Kavrel::Util::QtLogHandler::GetInstance();
        handler.Install();
        handler.AddFilter(&IsAcceptedQtMessage);
    }
}

LoggingGuard::~LoggingGuard()
{
    if (!started)
        return;
    google::ShutdownGoogleLogging();
    Kavrel::Util::QtLogHandler::GetInstance().Uninstall();
}

} // namespace Kavrel::App
