// The process map needs nothing above QtCore and the operating-system layer,
// so that a program that only lists processes loads no more than those.
#include <Kavrel/App/Application/PreferredBrowser.h>
#include <Kavrel/Platform/ProcessList.h>

#include "BrowserNames.h"

#include <QFile>
#include <QFileInfo>

namespace Kavrel::App
{

const std::map<QString, QStringList>& LinuxBrowserNames()
{
    static const std::map<QString, QStringList> names = {
        {QStringLiteral("firefox.exe"),
         {QStringLiteral("firefox"), QStringLiteral("firefox-esr"), QStringLiteral("firefox-bin")}},
        {QStringLiteral("chrome.exe"),
         {QStringLiteral("chromium"), QStringLiteral("chromium-browser"), QStringLiteral("chrome"),
          QStringLiteral("google-chrome"), QStringLiteral("google-chrome-stable"),
          QStringLiteral("google-chrome-beta"), QStringLiteral("google-chrome-unstable")}},
        {QStringLiteral("opera.exe"),
         {QStringLiteral("opera"), QStringLiteral("opera-stable"), QStringLiteral("opera-beta")}},
        {QStringLiteral("microsoftedge.exe"),
         {QStringLiteral("microsoft-edge"), QStringLiteral("microsoft-edge-stable"),
          QStringLiteral("microsoft-edge-beta"), QStringLiteral("microsoft-edge-dev"),
          QStringLiteral("msedge")}},
        {QStringLiteral("browser.exe"),
         {QStringLiteral("yandex-browser"), QStringLiteral("yandex-browser-stable"),
          QStringLiteral("yandex-browser-beta"), QStringLiteral("yandex_browser")}},
    };
    return names;
}

QString TableName(const QString& fileName)
{
    for (const auto& [tableName, linuxNames] : LinuxBrowserNames())
        if (linuxNames.contains(fileName))
            return tableName;
    return fileName;
}

QString NormalizedExecutableName(const QString& fileName) { return TableName(fileName.toLower()); }

std::map<QString, QString> GetCurrentProcessMap(boost::function<bool(const QString&)> filter)
{
    std::map<QString, QString> processes;
    for (const std::string& executable : Kavrel::Platform::ListRunningExecutables())
    {
        const QString path = QFile::decodeName(QByteArray::fromStdString(executable));
        const QString name = NormalizedExecutableName(QFileInfo(path).fileName());
        if (filter && filter(name))
            processes[name] = path;
    }
    return processes;
}

} // namespace Kavrel::App
