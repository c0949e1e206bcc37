#pragma once

#include <Kavrel/App/Application/IIPCClient.h>
#include <Kavrel/Platform/ProcessStarter.h>

namespace Kavrel::Test
{

// Keeps what the IPC manager hands a client: the channel, and the other
// side's process handle (-2 while none was given), closed with the client.
class RecordingClient : public Kavrel::App::IIPCClient
{
public:
    ~RecordingClient() override { Kavrel::Platform::CloseProcessHandle(handle); }
    void SetCommunicationChannel(boost::intrusive_ptr<Kavrel::Core::IDataChannel> newChannel) override
    {
        channel = newChannel;
    }
    void SetAppHandler(int newHandle) override { handle = newHandle; }
    void ChannelClosed() override { channel.reset(); }
    boost::intrusive_ptr<Kavrel::Core::IDataChannel> channel;
    int handle = -2;
};

} // namespace Kavrel::Test
