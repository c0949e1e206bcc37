#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <QObject>
#include <QUrl>

#include <boost/shared_ptr.hpp>

#include <memory>

namespace Kavrel::App
{

class AbstractPreferredBrowser;

/// Receives every http and https address the program opens and starts the
/// preferred browser with it, or hands it to the system's default handler.
class KAVRELAPPLICATION_EXPORT URLHandler : public QObject
{
    Q_OBJECT
public:
    URLHandler(QObject* parent, boost::shared_ptr<AbstractPreferredBrowser> browser);
    ~URLHandler() override;

public Q_SLOTS:
    void OpenURLWithPreferredBrowser(const QUrl& url);

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
