#include <Kavrel/Platform/Event.h>

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace Kavrel::Platform
{

Event::Event() : handle(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

Event::~Event()
{
    if (handle >= 0)
        ::close(handle);
}

void Event::Set()
{
    // The counter is never read back, so the descriptor stays readable.
    const std::uint64_t one = 1;
    while (handle >= 0 && ::write(handle, &one, sizeof one) < 0 && errno == EINTR)
    {
    }
}

bool Event::IsSet() const { return WaitForAny({handle}, 0) == 0; }

int WaitForAny(const std::vector<int>& handles, int timeoutMs)
{
    std::vector<pollfd> polled;
    std::vector<int> indexes;
    for (size_t i = 0; i < handles.size(); ++i)
    {
        if (handles[i] < 0)
            continue;
        polled.push_back({handles[i], POLLIN, 0});
        indexes.push_back(static_cast<int>(i));
    }
    if (polled.empty() && timeoutMs < 0)
        return -1; // nothing could ever end the wait
    int ready = 0;
    while ((ready = ::poll(polled.data(), polled.size(), timeoutMs)) < 0 && errno == EINTR)
    {
    }
    if (ready <= 0)
        return -1;
    for (size_t i = 0; i < polled.size(); ++i)
        if (polled[i].revents != 0)
            return indexes[i];
    return -1;
}

} // namespace Kavrel::Platform
