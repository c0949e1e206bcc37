#pragma once

#include <Kavrel/IO/KavrelIOExport.h>

#include <stdexcept>
#include <string>

namespace Kavrel::Core
{

/// What the byte streams and channels throw when they cannot go on: a pipe
/// that cannot be opened, a peer that went away, a wait that was stopped or
/// timed out, a message that breaks the framing.
class KAVRELIO_EXPORT IOException : public std::runtime_error
{
public:
    explicit IOException(const std::string& what);
    ~IOException() override;
};

} // namespace Kavrel::Core
