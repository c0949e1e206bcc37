#pragma once

#include <Kavrel/App/Application/IIPCClient.h>
#include <Kavrel/App/Application/KavrelApplicationExport.h>

#include <QString>

namespace Kavrel::App
{

/// Starts slave programs connected by a pair of named pipes, and connects a
/// slave to its master from its command line.
class KAVRELAPPLICATION_EXPORT IPCManager
{
public:
    /// Pipe names; %1 is the pipe identifier. The master writes the first and
    /// reads the second.
    static constexpr const char INPUT_PIPE_NAME[] = "\\\\.\\pipe\\KavrelIPCInput%1";
    static constexpr const char OUTPUT_PIPE_NAME[] = "\\\\.\\pipe\\KavrelIPCOutput%1";
    /// Arguments the slave finds its master by.
    static constexpr const char MASTER_PIPE_ID_ARGUMENT[] = "/MasterPipeId=";
    static constexpr const char PROCESS_ID_ARGUMENT[] = "/ProcessId=";

    /// Master side: picks a free pipe identifier, creates both pipes, gives
    /// the client its channel (before the start, and even when the start
    /// fails), and starts the executable (a path relative to the application
    /// folder when a file is there, else as given) detached in its own
    /// folder with arguments + " /MasterPipeId=<id> /ProcessId=<our id>". On
    /// success the client gets the slave's process handle. True when the
    /// slave was started. channelOption makes the channel safe for several
    /// threads at once. Throws Kavrel::Core::IOException when the pipes
    /// cannot be made.
    static bool LaunchSlave(IIPCClient& client, const QString& executable, const QString& arguments,
                            bool channelOption);

    /// Slave side: reads the pipe identifier and the master's process id from
    /// the command line, opens the master's pipes and gives the client the
    /// channel and a handle of the master (-1 when it cannot be had). False,
    /// with nothing given to the client, when a value is missing or the pipes
    /// cannot be opened.
    static bool SetUpSlaveClient(IIPCClient& client, bool channelOption);

    IPCManager() = delete;
};

} // namespace Kavrel::App
