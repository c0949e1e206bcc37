#include "FocusMaster.h"
#include "RecordingClient.h"
#include "TestEnvironment.h"

#include <Kavrel/App/Application/IPCFocusTransfererSlave.h>
#include <Kavrel/App/Application/IPCManager.h>
#include <Kavrel/IO/CommunicationChannel.h>
#include <Kavrel/IO/DataInputPipe.h>
#include <Kavrel/IO/DataOutputPipe.h>
#include <Kavrel/IO/IOException.h>
#include <Kavrel/Platform/Event.h>
#include <Kavrel/Platform/NamedPipe.h>
#include <Kavrel/Platform/Process.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <ctime>
#include <fcntl.h>

using Kavrel::App::IPCManager;
using Kavrel::Core::IOException;
using Kavrel::Platform::NamedPipe;
using Kavrel::Test::FinishesWithin;
using Kavrel::Test::ReadMessage;
using Kavrel::Test::RecordingClient;

namespace
{
// The helper, named from this program's folder as a product names its slaves.
QString Slave() { return QDir(QCoreApplication::applicationDirPath()).relativeFilePath(KAVREL_TEST_HELPER); }

// The report a slave appends to, read back line by line.
class Report
{
public:
    Report() : path(folder.filePath("report")) {}
    QStringList Lines() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
                   : QStringList();
    }
    bool WaitForLine(const QString& line) const
    {
        return Kavrel::Test::WaitFor([&] { return Lines().contains(line); }, std::chrono::seconds(20));
    }
    QTemporaryDir folder;
    QString path;
};

TEST(IPC, aSlaveHandsTheFocusBackToTheMastersWindowOnce)
{
    Report report;
    FocusMaster master(4242);
    std::atomic<int> closeMessages{0}; // counted on the master's reading thread
    QObject::connect(&master, &FocusMaster::MessageReceived,
                     [&](const QString& message, const QString& answer)
                     { closeMessages += message == "applicationClosed" && answer == "yes=4242"; });
    ASSERT_TRUE(IPCManager::LaunchSlave(master, Slave(), "ipc-focus " + report.path, false));
    ASSERT_GE(master.SlaveHandle(), 0);
    ASSERT_TRUE(report.WaitForLine("done")) << report.Lines().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(report.Lines(), (QStringList{"connected=1", "activated=4242", "done"}));
    // The handle tells when the slave has ended.
    EXPECT_EQ(Kavrel::Platform::WaitForAny({master.SlaveHandle()}, 20000), 0);
    EXPECT_TRUE(Kavrel::Test::WaitFor([&] { return closeMessages == 1; }));
}

TEST(IPC, aNoAnswerActivatesNothing)
{
    Report report;
    RecordingClient master;
    ASSERT_TRUE(IPCManager::LaunchSlave(master, Slave(), "ipc-focus " + report.path, false));
    master.channel->SetTimeout(20000);
    EXPECT_EQ(ReadMessage(*master.channel), "applicationClosed");
    master.channel->Write("no=77", 5);
    ASSERT_TRUE(report.WaitForLine("done"));
    EXPECT_TRUE(report.Lines().contains("activated="));
}

// The product's own arguments come first; the slave runs in its own folder.
// The identifier is drawn from the time-seeded generator; the ones it would
// give now are taken, so it has to draw past them. Either pipe alone takes an
// identifier: a master killed between making its two leaves one behind.
TEST(IPC, anIdentifierWithEitherPipeLeftIsSkippedAndTheSlaveGetsItAfterTheProductsArguments)
{
    for (const char* pipe : {IPCManager::INPUT_PIPE_NAME, IPCManager::OUTPUT_PIPE_NAME})
    {
        SCOPED_TRACE(pipe);
        std::vector<std::unique_ptr<NamedPipe>> planted;
        std::vector<int> taken;
        for (const std::time_t second : {std::time(nullptr), std::time(nullptr) + 1})
        {
            std::srand(static_cast<unsigned>(second));
            taken.push_back(std::rand());
            planted.push_back(std::make_unique<NamedPipe>(
                QString::fromLatin1(pipe).arg(taken.back()).toStdString(), NamedPipe::Direction::Read, true));
            ASSERT_TRUE(planted.back()->IsValid());
        }
        Report report;
        RecordingClient master;
        ASSERT_TRUE(IPCManager::LaunchSlave(master, Slave(), "ipc-args " + report.path + " extra", false));
        ASSERT_TRUE(Kavrel::Test::WaitFor([&] { return report.Lines().size() == 6; }));
        const QStringList lines = report.Lines();
        EXPECT_EQ(lines.value(0), "cwd=" + QFileInfo(KAVREL_TEST_HELPER).canonicalPath());
        EXPECT_EQ(lines.mid(1, 3), (QStringList{"arg=ipc-args", "arg=" + report.path, "arg=extra"}));
        EXPECT_TRUE(lines.value(4).contains(QRegularExpression("^arg=/MasterPipeId=\\d+$")));
        EXPECT_EQ(lines.value(5), "arg=/ProcessId=" + QString::number(::getpid()));
        for (const int used : taken)
            EXPECT_NE(lines.value(4).section(QLatin1Char('='), 2).toInt(), used);
    }
}

TEST(IPC, aSlaveWithoutBothValuesOrWithoutPipesGetsNothing)
{
    const std::string pid = std::to_string(::getpid());
    for (const std::vector<std::string>& extra : {std::vector<std::string>{},
                                                  {"/MasterPipeId=5"},
                                                  {"/MasterPipeId=5", "/ProcessId=0"},
                                                  {"/ProcessId=" + pid},
                                                  {"/MasterPipeId=987654", "/ProcessId=" + pid},
                                                  {"/MasterPipeId=../../x", "/ProcessId=" + pid}})
    {
        Report report;
        std::vector<std::string> command{KAVREL_TEST_HELPER, "ipc-setup", report.path.toStdString()};
        command.insert(command.end(), extra.begin(), extra.end());
        const auto result = Kavrel::Test::RunProcess(command);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(report.Lines(), QStringList{"setup=0 channel=0 handle=-2"})
            << (extra.empty() ? "(none)" : extra.back());
    }
}

TEST(IPC, killingTheMasterIsNoticedWithoutACall)
{
    Report report;
    Kavrel::Test::Child master(
        {KAVREL_TEST_HELPER, "master", "ipc-watch", report.path.toStdString(), "none"});
    ASSERT_EQ(master.ReadLine(), "launched=1");
    ASSERT_TRUE(report.WaitForLine("connected=1"));
    master.Kill();
    EXPECT_TRUE(report.WaitForLine("master=gone"));
}

// The transferer's constructor is protected: a test reaches it this way.
struct Transferer : Kavrel::App::IPCFocusTransfererSlave
{
};

TEST(IPC, destroyingTheTransfererWhileItWatchesReturnsPromptly)
{
    auto transferer = std::make_unique<Transferer>();
    transferer->SetAppHandler(Kavrel::Platform::OpenProcessHandle(static_cast<unsigned long>(::getpid())));
    EXPECT_TRUE(FinishesWithin([&] { transferer.reset(); }, std::chrono::seconds(5)));
}

// ----------------------------------------------------------------- the pipes

std::string PipeName(const char* base)
{
    static int counter = 0;
    return "\\\\.\\pipe\\" + std::string(base) + std::to_string(::getpid()) + "_" + std::to_string(++counter);
}

// Whatever else sits at a pipe's path is refused, never used or followed.
TEST(IPCPipes, somethingPlantedAtThePathIsRefused)
{
    QTemporaryDir elsewhere;
    const std::vector<std::pair<const char*, std::function<bool(const std::string&)>>> plants = {
        {"file", [](const std::string& path)
         { return QFile(QString::fromStdString(path)).open(QIODevice::WriteOnly); }},
        {"folder", [](const std::string& path) { return ::mkdir(path.c_str(), 0700) == 0; }},
        {"open fifo", [](const std::string& path)
         { return ::mkfifo(path.c_str(), 0600) == 0 && ::chmod(path.c_str(), 0666) == 0; }},
        {"link",
         [&](const std::string& path)
         {
             return ::mkfifo(elsewhere.filePath("f").toUtf8().constData(), 0600) == 0 &&
                    ::symlink(elsewhere.filePath("f").toUtf8().constData(), path.c_str()) == 0;
         }},
        {"someone else's fifo",
         [](const std::string& path)
         {
             return ::mkfifo(path.c_str(), 0600) == 0 &&
                    (::geteuid() != 0 || ::chown(path.c_str(), 65534, 65534) == 0);
         }},
    };
    for (const auto& [kind, plant] : plants)
    {
        SCOPED_TRACE(kind);
        const std::string name = PipeName("Planted");
        const std::string path = NamedPipe::PathFor(name);
        if (std::string(kind) == "someone else's fifo" && ::geteuid() != 0)
            continue; // only root can give a file away
        ASSERT_TRUE(plant(path));
        EXPECT_THROW(Kavrel::Core::DataInputPipe::Create(name, false), IOException);
        EXPECT_THROW(Kavrel::Core::DataOutputPipe::Create(name, false), IOException);
        EXPECT_THROW(Kavrel::Core::DataInputPipe::Create(name, true), IOException);
        ::rmdir(path.c_str());
        ::unlink(path.c_str());
    }
}

// A channel whose reading end gets raw bytes from a test-held writer.
class RawPeer
{
public:
    RawPeer()
        : name(PipeName("Raw")), channel(Kavrel::Core::CommunicationChannel::Create(
                                     Kavrel::Core::DataInputPipe::Create(name, true),
                                     Kavrel::Core::DataOutputPipe::Create(name + "Out", true), false)),
          writer(::open(NamedPipe::PathFor(name).c_str(), O_WRONLY | O_CLOEXEC))
    {
        channel->SetTimeout(10000);
    }
    ~RawPeer() { Close(); }
    void Send(const std::string& bytes)
    {
        EXPECT_EQ(::write(writer, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    void Close()
    {
        if (writer >= 0)
            ::close(writer);
        writer = -1;
    }
    static std::string Header(std::uint64_t length)
    {
        std::string header(8, '\0');
        for (int i = 0; i < 8; ++i)
            header[i] = static_cast<char>(length >> (8 * i));
        return header;
    }
    std::string name;
    Kavrel::Core::DataChannelPtr channel;
    int writer;
};

TEST(IPCPipes, badFramesFailCleanly)
{
    const std::pair<const char*, std::string> frames[] = {
        {"4 GiB announced", RawPeer::Header(4ull << 30)},
        {"garbage", std::string("\xff\xfe\xfd\xfc\xfb\xfa\xf9\xf8 junk", 13)},
        {"truncated header", std::string("\x05\x00\x00", 3)},
        {"closed mid-message", RawPeer::Header(10) + "abcd"},
    };
    for (const auto& [kind, bytes] : frames)
    {
        SCOPED_TRACE(kind);
        RawPeer peer;
        peer.Send(bytes);
        peer.Close();
        const bool failed = FinishesWithin(
            [&]
            {
                std::string text;
                EXPECT_THROW(text = ReadMessage(*peer.channel), IOException);
                EXPECT_THROW(text = ReadMessage(*peer.channel), IOException); // and stays failed
            });
        EXPECT_TRUE(failed);
    }
}

TEST(IPCPipes, aWellFormedMessageAfterAShortOneArrivesWhole)
{
    RawPeer peer;
    peer.Send(RawPeer::Header(3) + "abc" + RawPeer::Header(0) + RawPeer::Header(2) + "de");
    EXPECT_EQ(ReadMessage(*peer.channel), "abc");
    EXPECT_EQ(ReadMessage(*peer.channel), "");
    EXPECT_EQ(peer.channel->GetNextMessageLength(), 2);
    char one = 0;
    peer.channel->Read(&one, 1);
    EXPECT_EQ(one, 'd');
    EXPECT_THROW(peer.channel->Read(&one, 2), IOException); // past the message's end
}

// Writing to a reader that went away fails the write, not the program: a
// program's own SIGPIPE handler is not bothered either.
TEST(IPCPipes, aProgramsOwnSigpipeHandlerIsNotCalledForOurWrites)
{
    Report report;
    const auto result =
        Kavrel::Test::RunProcess({KAVREL_TEST_HELPER, "ipc-sigpipe", report.path.toStdString()});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(report.Lines(), QStringList{"failed=1 handler=0"});
}

// A wait that another thread ends, and one that times out.
TEST(IPCPipes, everyWaitHasAWayOut)
{
    RawPeer stopped, timed;
    std::thread closer([&] { stopped.channel->Close(); });
    EXPECT_TRUE(FinishesWithin([&] { EXPECT_THROW(stopped.channel->GetNextMessageLength(), IOException); }));
    closer.join();
    timed.channel->SetTimeout(50);
    EXPECT_TRUE(FinishesWithin([&] { EXPECT_THROW(timed.channel->GetNextMessageLength(), IOException); }));
}
} // namespace
