#pragma once

#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <QPixmap>
#include <QString>

namespace Kavrel::App
{

/// Starts a new instance of the running executable and quits this one. With
/// askUser, an alert box asks first (with the icon, when given) and anything
/// but Ok leaves everything as it was. The crash records are cleared before
/// the new instance starts, so it reports no crash. Extra arguments follow
/// the quoted executable path after one space, as given.
KAVRELAPPLICATION_EXPORT void RestartApplication(bool askUser, QPixmap icon, const QString& arguments);

/// The command line a restart starts: "\"<executable>\"" plus " <arguments>"
/// when there are any.
KAVRELAPPLICATION_EXPORT QString RestartCommandLine(const QString& arguments);

} // namespace Kavrel::App
