#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <QString>

#include <memory>

namespace Kavrel::App
{

/// The browser web links open in, found once per run and remembered in the
/// product store ("PreferredBrowser").
class KAVRELAPPLICATION_EXPORT AbstractPreferredBrowser
{
public:
    AbstractPreferredBrowser();
    virtual ~AbstractPreferredBrowser();
    AbstractPreferredBrowser(const AbstractPreferredBrowser&) = delete;
    AbstractPreferredBrowser& operator=(const AbstractPreferredBrowser&) = delete;
    /// Full path of the browser to use, or empty for the system's default.
    virtual QString DetectBrowserPath() const = 0;

    /// The remembered path while its file exists; otherwise refreshes first.
    QString GetBrowserPath();
    /// Takes the stored path when its file exists, else detects and stores
    /// the result (an empty one too).
    void RefreshBrowserPath();
    /// A user-agent text imitating the remembered browser (no refresh); the
    /// first table entry's when the browser is not in the table.
    QString GetUserAgent() const;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::App
