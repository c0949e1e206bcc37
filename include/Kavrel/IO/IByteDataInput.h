#pragma once

#include <Kavrel/Core/RefCountImpl.h>

#include <boost/intrusive_ptr.hpp>

#include <cstddef>

namespace Kavrel::Core
{

/// A stream of bytes from another party, read in order.
class IByteDataInput : public Kavrel::RefCountImpl
{
public:
    /// Waits for at least one byte and reads at most size; returns how many,
    /// 0 when the stream has ended (the writer went away). Throws IOException
    /// when it cannot go on.
    virtual size_t Read(void* buffer, size_t size) = 0;
};

/// A stream whose waits another thread can end.
class IByteDataInputEx : public IByteDataInput
{
public:
    /// Ends every current and later wait with IOException. Safe from any thread.
    virtual void Close() = 0;
    /// The longest single wait in milliseconds; -1 (the default) for none.
    virtual void SetTimeout(int milliseconds) = 0;
};

} // namespace Kavrel::Core
