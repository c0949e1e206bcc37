#include <Kavrel/App/Application/AlertBox.h>
#include <Kavrel/App/Application/Application.h>
#include <Kavrel/App/Application/RestartApplication.h>
#include <Kavrel/Platform/ProcessStarter.h>
#include <Kavrel/Util/StringConversions.h>

#include <QApplication>
#include <QProcess>

#include "RunningApplication.h"

namespace Kavrel::App
{

QString RestartCommandLine(const QString& arguments)
{
    QString command = QLatin1Char('"') + QCoreApplication::applicationFilePath() + QLatin1Char('"');
    if (!arguments.isEmpty())
        command += QLatin1Char(' ') + arguments;
    return command;
}

void RestartApplication(bool askUser, QPixmap icon, const QString& arguments)
{
    if (askUser)
    {
        AlertBox box(AlertBox::Information, QCoreApplication::translate("ApplicationRestarter", "Attention"),
                     QCoreApplication::translate(
                         "ApplicationRestarter",
                         "<b>This will restart the application.</b><br>Do you want to continue?"),
                     QMessageBox::Ok | QMessageBox::Cancel, QApplication::activeWindow(),
                     Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
        if (!icon.isNull())
            box.setIconPixmap(icon);
        if (box.Exec() != QMessageBox::Ok)
            return;
    }
    if (auto* app = RunningApplication("RestartApplication"))
        app->ClearCrashes();

    // The single command line is split the way the system's shell would,
    // then started detached; whether it started does not stop the quit.
    std::vector<std::string> command;
    for (const QString& part : QProcess::splitCommand(RestartCommandLine(arguments)))
        command.push_back(Kavrel::Util::QStringToUtf8(part));
    const auto started = Kavrel::Platform::GetProcessStarter().StartDetached(command);
    Kavrel::Platform::CloseProcessHandle(started.handle);
    QCoreApplication::quit();
}

} // namespace Kavrel::App
