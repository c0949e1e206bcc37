#pragma once

#include <Kavrel/IO/IDataChannel.h>

#include <boost/intrusive_ptr.hpp>

namespace Kavrel::App
{

/// One side of a master-slave pair: IPCManager hands it the channel to the
/// other side and a handle of the other side's process.
class IIPCClient
{
public:
    virtual ~IIPCClient() = default;
    /// Shares ownership of the channel.
    virtual void SetCommunicationChannel(boost::intrusive_ptr<Kavrel::Core::IDataChannel> channel) = 0;
    /// A handle of the other process (a pidfd here; -1 for none) that
    /// becomes ready when it ends; the client owns it from now on.
    virtual void SetAppHandler(int handle) = 0;
    /// The channel is gone.
    virtual void ChannelClosed() = 0;
};

} // namespace Kavrel::App
