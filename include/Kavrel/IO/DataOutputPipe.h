#pragma once

#include <Kavrel/IO/IByteDataOutput.h>
#include <Kavrel/IO/KavrelIOExport.h>

#include <string>

namespace Kavrel::Core
{

/// The writing end of a named pipe "\\.\pipe\Name". The creating side
/// (master true) makes the pipe and connects at its first write, once the
/// other side has opened its reading end; the other side opens the existing
/// pipe, whose reader must be there already. Throws IOException when the pipe
/// cannot be made or opened, or what is at its path is not one of ours.
class KAVRELIO_EXPORT DataOutputPipe
{
public:
    static boost::intrusive_ptr<IByteDataOutputEx> Create(const std::string& name, bool master);
    DataOutputPipe() = delete;
};

} // namespace Kavrel::Core
