#pragma once

#include <Kavrel/Core/RefCountImpl.h>

#include <boost/intrusive_ptr.hpp>

#include <cstddef>

namespace Kavrel::Core
{

/// A stream of bytes to another party.
class IByteDataOutput : public Kavrel::RefCountImpl
{
public:
    /// Writes all size bytes, waiting while the other party is slow. Throws
    /// IOException when it cannot (the reader went away, among others).
    virtual void Write(const void* data, size_t size) = 0;
};

/// A stream whose waits another thread can end.
class IByteDataOutputEx : public IByteDataOutput
{
public:
    /// Ends every current and later wait with IOException. Safe from any thread.
    virtual void Close() = 0;
    /// The longest single wait in milliseconds; -1 (the default) for none.
    virtual void SetTimeout(int milliseconds) = 0;
};

} // namespace Kavrel::Core
