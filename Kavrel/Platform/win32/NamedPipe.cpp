#include <Kavrel/Platform/NamedPipe.h>

#include "Win32.h"

#include <algorithm>
#include <atomic>

namespace Kavrel::Platform
{

namespace
{
const char WINDOWS_PIPE_PREFIX[] = "\\\\.\\pipe\\";
constexpr DWORD BUFFER_BYTES = 64 * 1024;
// One transfer at most; a longer write is made of several.
constexpr size_t LONGEST_TRANSFER = 1u << 30;

// The peer closed its end, before or after connecting.
bool IsPeerGone(DWORD error)
{
    return error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA || error == ERROR_PIPE_NOT_CONNECTED;
}

// Only a pipe served by a process of this user is one of ours.
bool IsServedByThisUser(HANDLE pipe)
{
    ULONG server = 0;
    if (!::GetNamedPipeServerProcessId(pipe, &server))
        return false;
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, server);
    if (!process)
        return false;
    const std::wstring owner = Win32::ProcessUserSid(process);
    ::CloseHandle(process);
    return !owner.empty() && owner == Win32::CurrentUserSid();
}
} // namespace

struct KAVRELPLATFORM_NO_EXPORT NamedPipe::Private
{
    // Runs one overlapped transfer (or the connection, with size 0) to its end.
    Status Transfer(bool write, void* buffer, unsigned long size, unsigned long& transferred);
    Status Connect();

    std::string path;
    Direction direction = Direction::Read;
    bool creator = false;
    bool valid = false;
    int error = 0;
    HANDLE pipe = nullptr;
    HANDLE stop = nullptr;
    HANDLE io = nullptr; // the event of the transfer in progress
    bool connected = false;
    std::atomic<int> timeout{-1};
    std::atomic<bool> stopped{false};
};

std::string NamedPipe::PathFor(const std::string& name)
{
    std::string file = name;
    if (file.compare(0, sizeof WINDOWS_PIPE_PREFIX - 1, WINDOWS_PIPE_PREFIX) == 0)
        file.erase(0, sizeof WINDOWS_PIPE_PREFIX - 1);
    if (file.empty() || file == "." || file == ".." || file.find_first_of("/\\") != std::string::npos)
        return {};
    return WINDOWS_PIPE_PREFIX + file;
}

// Asking whether a server waits takes no instance, where opening would.
bool NamedPipe::Exists(const std::string& name)
{
    const std::string path = PathFor(name);
    if (path.empty())
        return false;
    if (::WaitNamedPipeW(Win32::Wide(path).c_str(), NMPWAIT_NOWAIT))
        return true;
    const DWORD error = ::GetLastError();
    return error == ERROR_SEM_TIMEOUT || error == ERROR_PIPE_BUSY; // served, but busy
}

NamedPipe::NamedPipe(const std::string& name, Direction pipeDirection, bool create)
    : d(std::make_unique<Private>())
{
    d->path = PathFor(name);
    d->direction = pipeDirection;
    d->creator = create;
    d->stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    d->io = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (d->path.empty() || !d->stop || !d->io)
    {
        d->error = d->path.empty() ? ERROR_INVALID_NAME : static_cast<int>(::GetLastError());
        return;
    }
    const std::wstring wide = Win32::Wide(d->path);
    const bool reads = d->direction == Direction::Read;
    HANDLE opened = INVALID_HANDLE_VALUE;
    DWORD failure = ERROR_SUCCESS;
    if (d->creator)
    {
        // A name that someone serves already is not ours to use. The flag
        // says so to the system; not every implementation of it honours
        // the flag, so the name is also asked for first.
        Win32::PrivateSecurity security;
        if (!security.Attributes())
            failure = ERROR_INVALID_SECURITY_DESCR;
        else if (Exists(name))
            failure = ERROR_ALREADY_EXISTS;
        else
        {
            opened = ::CreateNamedPipeW(wide.c_str(),
                                        (reads ? PIPE_ACCESS_INBOUND : PIPE_ACCESS_OUTBOUND) |
                                            FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT |
                                            PIPE_REJECT_REMOTE_CLIENTS,
                                        1, BUFFER_BYTES, BUFFER_BYTES, 0, security.Attributes());
            failure = opened == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
        }
    }
    else
    {
        // The server may identify us but never act as us.
        opened =
            ::CreateFileW(wide.c_str(), reads ? GENERIC_READ : GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
        failure = opened == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
        if (opened != INVALID_HANDLE_VALUE && !IsServedByThisUser(opened))
        {
            ::CloseHandle(opened);
            opened = INVALID_HANDLE_VALUE;
            failure = ERROR_ACCESS_DENIED;
        }
        d->connected = true;
    }
    if (opened == INVALID_HANDLE_VALUE)
    {
        d->error = static_cast<int>(failure);
        return;
    }
    d->pipe = opened;
    d->valid = true;
}

NamedPipe::~NamedPipe()
{
    // What was written stays readable by the peer after the close.
    for (HANDLE handle : {d->pipe, d->stop, d->io})
        if (handle)
            ::CloseHandle(handle);
}

bool NamedPipe::IsValid() const { return d->valid; }

int NamedPipe::Error() const { return d->error; }

void NamedPipe::SetTimeout(int milliseconds) { d->timeout = milliseconds; }

void NamedPipe::Stop()
{
    d->stopped = true;
    if (d->stop)
        ::SetEvent(d->stop);
}

NamedPipe::Status NamedPipe::Private::Transfer(bool write, void* buffer, unsigned long size,
                                               unsigned long& transferred)
{
    transferred = 0;
    OVERLAPPED overlapped{};
    overlapped.hEvent = io;
    ::ResetEvent(io);
    BOOL done = FALSE;
    if (!buffer)
        done = ::ConnectNamedPipe(pipe, &overlapped);
    else if (write)
        done = ::WriteFile(pipe, buffer, size, nullptr, &overlapped);
    else
        done = ::ReadFile(pipe, buffer, size, nullptr, &overlapped);
    DWORD result = done ? ERROR_SUCCESS : ::GetLastError();
    DWORD moved = 0;
    if (result == ERROR_IO_PENDING)
    {
        const HANDLE waited[2] = {io, stop};
        const int limit = timeout;
        const DWORD woken = ::WaitForMultipleObjects(2, waited, FALSE, limit < 0 ? INFINITE : DWORD(limit));
        if (woken != WAIT_OBJECT_0)
            ::CancelIoEx(pipe, &overlapped);
        // The transfer may have ended anyway meanwhile: what it moved counts.
        result = ::GetOverlappedResult(pipe, &overlapped, &moved, TRUE) ? ERROR_SUCCESS : ::GetLastError();
        if (result == ERROR_OPERATION_ABORTED)
        {
            if (woken == WAIT_OBJECT_0 + 1)
                return Status::Stopped;
            if (woken == WAIT_TIMEOUT)
                return Status::TimedOut;
            error = static_cast<int>(result);
            return Status::Failed;
        }
    }
    else if (result == ERROR_SUCCESS)
        ::GetOverlappedResult(pipe, &overlapped, &moved, FALSE);
    transferred = moved;
    if (result == ERROR_SUCCESS || (!buffer && result == ERROR_PIPE_CONNECTED))
        return Status::Done;
    if (IsPeerGone(result))
        return Status::Closed;
    error = static_cast<int>(result);
    return Status::Failed;
}

// The creating side's end connects at its first transfer, once the other
// side has opened its end.
NamedPipe::Status NamedPipe::Private::Connect()
{
    if (connected)
        return Status::Done;
    unsigned long none = 0;
    const Status status = Transfer(false, nullptr, 0, none);
    connected = status == Status::Done;
    return status;
}

NamedPipe::Status NamedPipe::Read(void* buffer, size_t size, size_t& transferred)
{
    transferred = 0;
    if (!d->valid || d->direction != Direction::Read)
    {
        d->error = d->valid ? ERROR_INVALID_FUNCTION : d->error;
        return Status::Failed;
    }
    if (size == 0)
        return Status::Done;
    if (d->stopped)
        return Status::Stopped;
    Status status = d->Connect();
    // A zero-byte write of the peer completes a read with nothing.
    unsigned long got = 0;
    while (status == Status::Done && got == 0)
    {
        if (d->stopped)
            return Status::Stopped;
        status =
            d->Transfer(false, buffer, static_cast<unsigned long>(std::min(size, LONGEST_TRANSFER)), got);
    }
    transferred = got;
    return status;
}

NamedPipe::Status NamedPipe::WriteAll(const void* data, size_t size)
{
    if (!d->valid || d->direction != Direction::Write)
    {
        d->error = d->valid ? ERROR_INVALID_FUNCTION : d->error;
        return Status::Failed;
    }
    if (d->stopped)
        return Status::Stopped;
    const Status connection = d->Connect();
    if (connection != Status::Done)
        return connection;
    auto* bytes = static_cast<char*>(const_cast<void*>(data));
    while (size > 0)
    {
        if (d->stopped)
            return Status::Stopped;
        unsigned long put = 0;
        const Status status =
            d->Transfer(true, bytes, static_cast<unsigned long>(std::min(size, LONGEST_TRANSFER)), put);
        if (status != Status::Done)
            return status;
        bytes += put;
        size -= put;
    }
    return Status::Done;
}

} // namespace Kavrel::Platform
