#include <Kavrel/Util/QtLogHandler.h>

#include <glog/logging.h>

#include <mutex>
#include <vector>

namespace Kavrel::Util
{

class KAVRELUTIL_NO_EXPORT QtLogHandler::Private
{
public:
    mutable std::mutex mutex;
    std::vector<Filter> filters;
    QtMessageHandler previous = nullptr;
    bool installed = false;
};

QtLogHandler::QtLogHandler() : d(std::make_unique<Private>()) {}

QtLogHandler::~QtLogHandler() = default;

QtLogHandler& QtLogHandler::GetInstance()
{
    static QtLogHandler instance;
    return instance;
}

void QtLogHandler::Install()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    if (d->installed)
        return;
    d->previous = qInstallMessageHandler(&QtLogHandler::HandleMessage);
    d->installed = true;
}

void QtLogHandler::AddFilter(Filter filter)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->filters.push_back(std::move(filter));
}

void QtLogHandler::Uninstall()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->filters.clear();
    if (!d->installed)
        return;
    qInstallMessageHandler(d->previous);
    d->previous = nullptr;
    d->installed = false;
}

bool QtLogHandler::IsInstalled() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->installed;
}

bool QtLogHandler::IsAccepted(const QString& message) const
{
    // Filters run outside the lock so that one may log or add filters itself.
    std::vector<Filter> current;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        current = d->filters;
    }
    for (const Filter& filter : current)
        if (filter && !filter(message))
            return false;
    return true;
}

void QtLogHandler::HandleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    // A fatal message is the last word before Qt aborts: never filtered.
    if (type != QtFatalMsg && !GetInstance().IsAccepted(message))
        return;
    google::LogSeverity severity = google::GLOG_INFO;
    switch (type)
    {
    case QtDebugMsg:
    case QtInfoMsg:
        severity = google::GLOG_INFO;
        break;
    case QtWarningMsg:
        severity = google::GLOG_WARNING;
        break;
    case QtCriticalMsg:
    case QtFatalMsg:
        // Qt aborts by itself after a fatal message; glog's FATAL would abort
        // before Qt could, so it is written as an error and flushed.
        severity = google::GLOG_ERROR;
        break;
    }
    const char* file = context.file ? context.file : "Qt";
    google::LogMessage(file, context.line, severity).stream() << message.toUtf8().constData();
    if (type == QtFatalMsg)
        google::FlushLogFiles(google::GLOG_INFO);
}

} // namespace Kavrel::Util
