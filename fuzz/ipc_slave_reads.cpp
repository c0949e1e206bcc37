// The slave's end of a slave channel: what the master sends arrives through
// the real named pipe (the master's creating writer, the slave's reading end
// DataInputPipe) and is read through the channel, whatever the bytes are.
#include "IpcFrames.h"

#include <Kavrel/IO/CommunicationChannel.h>
#include <Kavrel/IO/DataInputPipe.h>
#include <Kavrel/IO/DataOutputPipe.h>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Kavrel::Fuzz::Prepare();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    // The master writes everything before the slave reads: it must fit the
    // pipe. A master's writer connects at its first write, so it writes at
    // least one byte.
    if (size < 2 || size > 60000)
        return -1;
    using namespace Kavrel::Core;
    const std::string name = "\\\\.\\pipe\\KavrelFuzzInput" + std::to_string(::getpid());
    boost::intrusive_ptr<IByteDataInputEx> reading;
    {
        const auto master = DataOutputPipe::Create(name, true);
        reading = DataInputPipe::Create(name, false);
        master->Write(data + 1, size - 1);
    } // the master's end goes: what follows is the end of the stream
    const auto channel = CommunicationChannel::Create(reading, new Kavrel::Fuzz::NoOutput, (data[0] & 1) != 0);
    Kavrel::Fuzz::ReadAndCheck(*channel, data[0], std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    return 0;
}
