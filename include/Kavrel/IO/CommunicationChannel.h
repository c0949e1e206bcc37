#pragma once

#include <Kavrel/IO/IByteDataInput.h>
#include <Kavrel/IO/IByteDataOutput.h>
#include <Kavrel/IO/IDataChannel.h>
#include <Kavrel/IO/KavrelIOExport.h>

namespace Kavrel::Core
{

/// Joins an input and an output stream into a message channel. Each message
/// travels as an 8-byte little-endian length, then its bytes; the reader
/// refuses a length beyond IDataChannel::MAX_MESSAGE_BYTES. With threadSafe,
/// several threads may write (or read) at once, each message staying whole;
/// without, one thread writes and one reads.
class KAVRELIO_EXPORT CommunicationChannel
{
public:
    static DataChannelPtr Create(boost::intrusive_ptr<IByteDataInput> input,
                                 boost::intrusive_ptr<IByteDataOutput> output, bool threadSafe);
    CommunicationChannel() = delete;
};

} // namespace Kavrel::Core
