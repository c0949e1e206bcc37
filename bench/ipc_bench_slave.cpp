// The program ipc_bench starts: "connect" connects to its master as a slave
// and says so over the channel; "plain" says so on standard output.
#include <Kavrel/App/Application/IPCManager.h>

#include <QCoreApplication>

#include <cstring>
#include <unistd.h>

namespace
{
class Client : public Kavrel::App::IIPCClient
{
public:
    void SetCommunicationChannel(boost::intrusive_ptr<Kavrel::Core::IDataChannel> newChannel) override
    {
        channel = newChannel;
    }
    void SetAppHandler(int) override {}
    void ChannelClosed() override { channel.reset(); }
    boost::intrusive_ptr<Kavrel::Core::IDataChannel> channel;
};
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "plain") == 0)
        return ::write(STDOUT_FILENO, "h", 1) == 1 ? 0 : 1;
    Client client;
    if (!Kavrel::App::IPCManager::SetUpSlaveClient(client, false))
        return 1;
    client.channel->Write("hello", 5);
    return 0;
}
