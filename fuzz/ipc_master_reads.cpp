// The master's end of a slave channel: what the slave sends arrives through
// the real named pipe (the master's reading end, DataInputPipe) and is read
// through the channel, whatever the bytes are.
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
    // The slave writes everything before the master reads: it must fit the pipe.
    if (size == 0 || size > 60000)
        return -1;
    using namespace Kavrel::Core;
    const std::string name = "\\\\.\\pipe\\KavrelFuzzOutput" + std::to_string(::getpid());
    const auto reading = DataInputPipe::Create(name, true);
    {
        const auto slave = DataOutputPipe::Create(name, false);
        if (size > 1)
            slave->Write(data + 1, size - 1);
    } // the slave's end goes: what follows is the end of the stream
    const auto channel = CommunicationChannel::Create(reading, new Kavrel::Fuzz::NoOutput, (data[0] & 1) != 0);
    Kavrel::Fuzz::ReadAndCheck(*channel, data[0], std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    return 0;
}
