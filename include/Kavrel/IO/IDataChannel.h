#pragma once

#include <Kavrel/Core/RefCountImpl.h>

#include <boost/intrusive_ptr.hpp>

#include <cstdint>

namespace Kavrel::Core
{

/// Messages both ways between two parties. Every operation throws
/// IOException when it cannot go on: the peer went away, the channel was
/// closed, or what arrived breaks the framing (after which the channel stays
/// broken).
class IDataChannel : public Kavrel::RefCountImpl
{
public:
    /// No message may be longer.
    static constexpr std::int64_t MAX_MESSAGE_BYTES = 64 * 1024 * 1024;

    /// Sends size bytes as one message.
    virtual void Write(const void* data, std::int64_t size) = 0;
    /// Waits for the next message and returns its length; whatever is left
    /// of the previous one is skipped.
    virtual std::int64_t GetNextMessageLength() = 0;
    /// Reads exactly size bytes of the current message, starting the next
    /// one when none is under way.
    virtual void Read(void* buffer, std::int64_t size) = 0;
    /// Ends every current and later wait. Safe from any thread.
    virtual void Close() = 0;
    /// The longest single wait in milliseconds, for both directions; -1 (the
    /// default) waits as long as the peer is there.
    virtual void SetTimeout(int milliseconds) = 0;
};

using DataChannelPtr = boost::intrusive_ptr<IDataChannel>;

} // namespace Kavrel::Core
