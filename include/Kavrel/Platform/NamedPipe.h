#pragma once

#include <Kavrel/Platform/KavrelPlatformExport.h>

#include <cstddef>
#include <memory>
#include <string>

namespace Kavrel::Platform
{

/// One end of a named pipe between two processes of the same user, named in
/// the Windows spelling "\\.\pipe\Name" (or a bare "Name"). On Linux it
/// stands for the FIFO "Name" in the private runtime folder: the creating
/// side makes the FIFO (mode 0600) and removes it when its end goes; the
/// other side opens it only if it is a FIFO of this user that no one else
/// may open, never following a link. On Windows it is that named pipe: the
/// creating side makes its only instance, open to this user alone; the other
/// side opens it only when a process of this user serves it. Every wait can
/// end: at the peer's end, when Stop() is called from another thread, or
/// after the time-out.
class KAVRELPLATFORM_EXPORT NamedPipe
{
public:
    enum class Direction
    {
        Read,
        Write
    };

    enum class Status
    {
        Done,     ///< the bytes were moved
        Closed,   ///< the other end went away
        Stopped,  ///< Stop() was called
        TimedOut, ///< nothing happened within the time-out
        Failed    ///< the system refused; Error() tells why
    };

    /// The FIFO that stands for the name (on Windows the pipe's full name);
    /// empty when the name is not a plain file name or there is no runtime
    /// folder.
    static std::string PathFor(const std::string& name);
    /// True when something exists at the name's path.
    static bool Exists(const std::string& name);

    /// create: make the FIFO (anything already at the path is refused) and be
    /// the creating side. A creating writer connects at its first write,
    /// once the other side has opened its end; a non-creating writer needs
    /// the reader there already.
    NamedPipe(const std::string& name, Direction direction, bool create);
    ~NamedPipe();

    NamedPipe(const NamedPipe&) = delete;
    NamedPipe& operator=(const NamedPipe&) = delete;

    /// False when the end could not be made or opened (Error() tells why:
    /// errno, or GetLastError on Windows).
    bool IsValid() const;
    int Error() const;

    /// Reads at least one byte and at most size; transferred says how many.
    Status Read(void* buffer, size_t size, size_t& transferred);
    /// Writes all size bytes; a peer that went away gives Closed, never a
    /// signal.
    Status WriteAll(const void* data, size_t size);

    /// Ends every wait, now and later, with Stopped. Safe from any thread.
    void Stop();
    /// The longest single wait in milliseconds; -1 (the default) waits as
    /// long as the peer is there.
    void SetTimeout(int milliseconds);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace Kavrel::Platform
