#include <Kavrel/App/Application/IPCManager.h>
#include <Kavrel/IO/CommunicationChannel.h>
#include <Kavrel/IO/DataInputPipe.h>
#include <Kavrel/IO/DataOutputPipe.h>
#include <Kavrel/IO/IOException.h>
#include <Kavrel/Platform/NamedPipe.h>
#include <Kavrel/Platform/Process.h>
#include <Kavrel/Platform/ProcessStarter.h>
#include <Kavrel/Util/StringConversions.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cstdlib>
#include <ctime>

namespace Kavrel::App
{

namespace
{
std::string PipeName(const char* pattern, const QString& id)
{
    return QString::fromLatin1(pattern).arg(id).toStdString();
}
} // namespace

bool IPCManager::LaunchSlave(IIPCClient& client, const QString& executable, const QString& arguments,
                             bool channelOption)
{
    QString path =
        QDir::toNativeSeparators(QDir(QCoreApplication::applicationDirPath()).filePath(executable));
    if (!QFile::exists(path))
        path = QDir::toNativeSeparators(executable);
    if (path.isEmpty())
        return false;
    const QString workingFolder = QFileInfo(path).path();
    const unsigned long processId = Kavrel::Platform::GetCurrentProcessId();

    std::srand(static_cast<unsigned>(std::time(nullptr)));
    // Either pipe of an identifier may be left over (a master killed between
    // making them leaves one): both must be free.
    QString id = QString::number(std::rand());
    while (Kavrel::Platform::NamedPipe::Exists(PipeName(INPUT_PIPE_NAME, id)) ||
           Kavrel::Platform::NamedPipe::Exists(PipeName(OUTPUT_PIPE_NAME, id)))
        id = QString::number(std::rand());

    using namespace Kavrel::Core;
    const auto readingEnd = DataInputPipe::Create(PipeName(OUTPUT_PIPE_NAME, id), true);
    const auto writingEnd = DataOutputPipe::Create(PipeName(INPUT_PIPE_NAME, id), true);
    client.SetCommunicationChannel(CommunicationChannel::Create(readingEnd, writingEnd, channelOption));

    const QString parameters = arguments + QLatin1Char(' ') + QLatin1String(MASTER_PIPE_ID_ARGUMENT) + id +
                               QLatin1Char(' ') + QLatin1String(PROCESS_ID_ARGUMENT) +
                               QString::number(processId);
    std::vector<std::string> command{Kavrel::Util::QStringToUtf8(path)};
    for (const QString& argument : QProcess::splitCommand(parameters))
        command.push_back(Kavrel::Util::QStringToUtf8(argument));
    const auto started = Kavrel::Platform::GetProcessStarter().StartDetachedIn(
        command, Kavrel::Util::QStringToUtf8(workingFolder));
    if (!started.started)
        return false;
    client.SetAppHandler(started.handle);
    return true;
}

bool IPCManager::SetUpSlaveClient(IIPCClient& client, bool channelOption)
{
    QString id;
    int masterId = 0;
    const QString pipeIdText = QLatin1String(MASTER_PIPE_ID_ARGUMENT);
    const QString processIdText = QLatin1String(PROCESS_ID_ARGUMENT);
    for (const QString& argument : QCoreApplication::arguments())
    {
        if (argument.contains(pipeIdText))
            id = QString(argument).remove(pipeIdText);
        if (argument.contains(processIdText))
            masterId = QString(argument).remove(processIdText).toInt(nullptr, 10);
    }
    if (id.isEmpty() || masterId == 0)
        return false;

    Kavrel::Core::DataChannelPtr channel;
    try
    {
        using namespace Kavrel::Core;
        const auto readingEnd = DataInputPipe::Create(
            Kavrel::Util::QStringToUtf8(QString::fromLatin1(INPUT_PIPE_NAME).arg(id)), false);
        const auto writingEnd = DataOutputPipe::Create(
            Kavrel::Util::QStringToUtf8(QString::fromLatin1(OUTPUT_PIPE_NAME).arg(id)), false);
        channel = CommunicationChannel::Create(readingEnd, writingEnd, channelOption);
    }
    catch (const Kavrel::Core::IOException&)
    {
        return false; // no master's pipes under that identifier
    }
    client.SetCommunicationChannel(channel);
    client.SetAppHandler(Kavrel::Platform::OpenProcessHandle(static_cast<unsigned long>(masterId)));
    return true;
}

} // namespace Kavrel::App
