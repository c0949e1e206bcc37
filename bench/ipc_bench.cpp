// The slave channel against the bare system calls it wraps:
//   - the focus hand-back round trip ("applicationClosed" out, "yes=<id>"
//     back) over CommunicationChannel and the named pipes, against the same
//     bytes over a raw FIFO pair with blocking read and write;
//   - LaunchSlave until the slave is connected and has said so, against a
//     bare posix_spawn of the same program until it has said so on a pipe.
// Goal: the round trip within 1.5x of the raw pair. Prints the ratios.
//
//   ipc_bench [benchmark flags]   (ipc_bench_slave must sit beside it)
#include "RatioReporter.h"

#include <Kavrel/App/Application/IPCManager.h>
#include <Kavrel/IO/CommunicationChannel.h>
#include <Kavrel/IO/DataInputPipe.h>
#include <Kavrel/IO/DataOutputPipe.h>
#include <Kavrel/Platform/NamedPipe.h>
#include <Kavrel/Platform/ProcessStarter.h>

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace
{
const char CLOSE[] = "applicationClosed";
const char REPLY[] = "yes=12345678";

std::string Unique(const char* base)
{
    static int counter = 0;
    return std::string(base) + std::to_string(::getpid()) + "_" + std::to_string(++counter);
}

void ReadFully(int fd, char* buffer, size_t size)
{
    while (size > 0)
    {
        const ssize_t got = ::read(fd, buffer, size);
        if (got <= 0)
            return;
        buffer += got;
        size -= static_cast<size_t>(got);
    }
}

void BM_ChannelRoundTrip(benchmark::State& state)
{
    using namespace Kavrel::Core;
    const std::string toSlave = Unique("BenchIn"), toMaster = Unique("BenchOut");
    // The master makes both pipes; the slave side opens them, as the two
    // processes do.
    const auto masterIn = DataInputPipe::Create(toMaster, true);
    const auto masterOut = DataOutputPipe::Create(toSlave, true);
    const auto slaveIn = DataInputPipe::Create(toSlave, false);
    const auto slaveOut = DataOutputPipe::Create(toMaster, false);
    const DataChannelPtr master = CommunicationChannel::Create(masterIn, masterOut, false);
    const DataChannelPtr slave = CommunicationChannel::Create(slaveIn, slaveOut, false);
    std::thread answering(
        [&]
        {
            try
            {
                char message[64];
                while (true)
                {
                    master->Read(message, master->GetNextMessageLength());
                    master->Write(REPLY, sizeof REPLY - 1);
                }
            }
            catch (const std::exception&)
            {
            }
        });
    char reply[64];
    for ([[maybe_unused]] auto iteration : state)
    {
        slave->Write(CLOSE, sizeof CLOSE - 1);
        slave->Read(reply, slave->GetNextMessageLength());
    }
    master->Close();
    answering.join();
}
BENCHMARK(BM_ChannelRoundTrip)->UseRealTime()->Repetitions(5);

void BM_RawFifoRoundTrip(benchmark::State& state)
{
    const std::string folder = Kavrel::Platform::NamedPipe::PathFor("x");
    const std::string toSlave = folder + Unique("RawIn"), toMaster = folder + Unique("RawOut");
    ::mkfifo(toSlave.c_str(), 0600);
    ::mkfifo(toMaster.c_str(), 0600);
    std::thread answering(
        [&]
        {
            const int in = ::open(toMaster.c_str(), O_RDONLY);
            const int out = ::open(toSlave.c_str(), O_WRONLY);
            char message[sizeof CLOSE - 1];
            while (::read(in, message, sizeof message) == static_cast<ssize_t>(sizeof message))
                ::write(out, REPLY, sizeof REPLY - 1);
            ::close(in);
            ::close(out);
        });
    const int out = ::open(toMaster.c_str(), O_WRONLY);
    const int in = ::open(toSlave.c_str(), O_RDONLY);
    char reply[sizeof REPLY - 1];
    for ([[maybe_unused]] auto iteration : state)
    {
        ::write(out, CLOSE, sizeof CLOSE - 1);
        ReadFully(in, reply, sizeof reply);
    }
    ::close(out);
    answering.join();
    ::close(in);
    ::unlink(toSlave.c_str());
    ::unlink(toMaster.c_str());
}
BENCHMARK(BM_RawFifoRoundTrip)->UseRealTime()->Repetitions(5);

class Client : public Kavrel::App::IIPCClient
{
public:
    void SetCommunicationChannel(boost::intrusive_ptr<Kavrel::Core::IDataChannel> newChannel) override
    {
        channel = newChannel;
    }
    void SetAppHandler(int newHandle) override { handle = newHandle; }
    void ChannelClosed() override { channel.reset(); }
    boost::intrusive_ptr<Kavrel::Core::IDataChannel> channel;
    int handle = -1;
};

void BM_LaunchSlaveUntilConnected(benchmark::State& state)
{
    for ([[maybe_unused]] auto iteration : state)
    {
        Client client;
        Kavrel::App::IPCManager::LaunchSlave(client, QStringLiteral("ipc_bench_slave"),
                                             QStringLiteral("connect"), false);
        char hello[8];
        client.channel->Read(hello, client.channel->GetNextMessageLength());
        // Reaped here: the slave is not ours to wait for, but it ends now.
        state.PauseTiming();
        client.channel.reset();
        siginfo_t info{};
        ::waitid(P_PIDFD, static_cast<id_t>(client.handle), &info, WEXITED | WNOHANG);
        Kavrel::Platform::CloseProcessHandle(client.handle);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LaunchSlaveUntilConnected)->UseRealTime()->Unit(benchmark::kMillisecond)->Repetitions(5);

void BM_PosixSpawnUntilReady(benchmark::State& state)
{
    const std::string program = QCoreApplication::applicationDirPath().toStdString() + "/ipc_bench_slave";
    for ([[maybe_unused]] auto iteration : state)
    {
        int channel[2];
        if (::pipe2(channel, O_CLOEXEC) != 0)
            break;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, channel[1], STDOUT_FILENO);
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("plain"), nullptr};
        pid_t pid = 0;
        posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(channel[1]);
        char hello = 0;
        ::read(channel[0], &hello, 1);
        state.PauseTiming();
        ::close(channel[0]);
        ::waitpid(pid, nullptr, 0);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PosixSpawnUntilReady)->UseRealTime()->Unit(benchmark::kMillisecond)->Repetitions(5);
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({{"BM_ChannelRoundTrip", "BM_RawFifoRoundTrip", 1.5},
                            {"BM_LaunchSlaveUntilConnected", "BM_PosixSpawnUntilReady", 1.5}},
                           true);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
