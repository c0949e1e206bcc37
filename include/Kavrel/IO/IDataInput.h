#pragma once

#include <Kavrel/Core/RefCountImpl.h>

#include <boost/intrusive_ptr.hpp>

#include <cstddef>
#include <string>

namespace Kavrel::Core
{

/// A source of bytes read in order, shared by reference count.
class IDataInput : public Kavrel::RefCountImpl
{
public:
    /// Copies up to size bytes into buffer; returns how many, 0 at the end.
    virtual size_t Read(void* buffer, size_t size) = 0;
    virtual bool AtEnd() const = 0;
};

using DataInputPtr = boost::intrusive_ptr<IDataInput>;

/// Reads every remaining byte of the input.
inline std::string ReadAll(IDataInput& input)
{
    std::string bytes;
    char chunk[4096];
    while (const size_t got = input.Read(chunk, sizeof chunk))
        bytes.append(chunk, got);
    return bytes;
}

} // namespace Kavrel::Core
