#pragma once

#include <Kavrel/App/Application/IIPCClient.h>
#include <Kavrel/Platform/ProcessStarter.h>

#include <string>

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

// The next whole message on the channel.
inline std::string ReadMessage(Kavrel::Core::IDataChannel& channel)
{
    std::string text(static_cast<size_t>(channel.GetNextMessageLength()), '\0');
    channel.Read(text.data(), static_cast<std::int64_t>(text.size()));
    return text;
}

// Sends the message and returns the answer.
inline std::string Exchange(Kavrel::Core::IDataChannel& channel, const std::string& message)
{
    channel.Write(message.data(), static_cast<std::int64_t>(message.size()));
    return ReadMessage(channel);
}

} // namespace Kavrel::Test
