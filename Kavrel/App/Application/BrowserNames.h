#pragma once

#include <QString>
#include <QStringList>

#include <map>

namespace Kavrel::App
{

// The names browsers run under here, by the name the tables know them by.
const std::map<QString, QStringList>& LinuxBrowserNames();

// A browser's own name here as the tables know it, matched exactly; any other
// name unchanged.
QString TableName(const QString& fileName);

} // namespace Kavrel::App
