#pragma once

#include <Kavrel/Util/KavrelUtilExport.h>

#include <QString>
#include <QtGlobal>

#include <boost/function.hpp>

#include <memory>

namespace Kavrel::Util
{

/// Routes Qt's diagnostic messages (qDebug, qInfo, qWarning, qCritical,
/// qFatal) into the process log: debug and info as INFO, warning as WARNING,
/// critical and fatal as ERROR. One handler per process.
class KAVRELUTIL_EXPORT QtLogHandler
{
public:
    using Filter = boost::function<bool(const QString&)>;

    static QtLogHandler& GetInstance();

    /// Takes over Qt's message handler; a second call does nothing.
    void Install();
    /// A message for which any filter returns false is not written.
    void AddFilter(Filter filter);
    /// Gives Qt back the handler it had before Install and drops the filters.
    void Uninstall();

    bool IsInstalled() const;

    QtLogHandler(const QtLogHandler&) = delete;
    QtLogHandler& operator=(const QtLogHandler&) = delete;

private:
    QtLogHandler();
    ~QtLogHandler();
    static void HandleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message);
    bool IsAccepted(const QString& message) const;

    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::Util
