#pragma once

#include <Kavrel/IO/IByteDataInput.h>
#include <Kavrel/IO/KavrelIOExport.h>

#include <string>

namespace Kavrel::Core
{

/// The reading end of a named pipe "\\.\pipe\Name" (a private FIFO here, see
/// Kavrel::Platform::NamedPipe). The creating side (master true) makes the
/// pipe, which exists as soon as Create returns and goes with this end; the
/// other side opens the existing one. Throws IOException when the pipe cannot
/// be made, or what is at its path is not one of ours.
class KAVRELIO_EXPORT DataInputPipe
{
public:
    static boost::intrusive_ptr<IByteDataInputEx> Create(const std::string& name, bool master);
    DataInputPipe() = delete;
};

} // namespace Kavrel::Core
