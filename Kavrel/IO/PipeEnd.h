#pragma once

#include <Kavrel/IO/IOException.h>
#include <Kavrel/Platform/NamedPipe.h>

#include <cstring>
#include <string>

namespace Kavrel::Core
{

// Opens a pipe end or throws, naming the pipe and the reason.
inline void RequireValid(const Kavrel::Platform::NamedPipe& pipe, const std::string& name)
{
    if (!pipe.IsValid())
        throw IOException("The pipe [" + name + "] cannot be used: " + std::strerror(pipe.Error()));
}

// Turns what a transfer ended with into the exception the streams throw.
inline void ThrowUnlessDone(Kavrel::Platform::NamedPipe::Status status,
                            const Kavrel::Platform::NamedPipe& pipe, const std::string& name)
{
    using Status = Kavrel::Platform::NamedPipe::Status;
    switch (status)
    {
    case Status::Done:
        return;
    case Status::Closed:
        throw IOException("The other end of the pipe [" + name + "] went away");
    case Status::Stopped:
        throw IOException("The pipe [" + name + "] was closed");
    case Status::TimedOut:
        throw IOException("The pipe [" + name + "] timed out");
    case Status::Failed:
        break;
    }
    throw IOException("The pipe [" + name + "] failed: " + std::strerror(pipe.Error()));
}

} // namespace Kavrel::Core
