#pragma once

#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace Kavrel::Test
{

// Runs work on its own thread and tells whether it finished in time, so that a
// deadlock fails the test instead of hanging it; exceptions are rethrown here.
// A timed-out thread is abandoned, so the work must own what it touches.
inline bool FinishesWithin(std::function<void()> work,
                           std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread(
        [work = std::move(work), done]
        {
            try
            {
                work();
                done->set_value();
            }
            catch (...)
            {
                done->set_exception(std::current_exception());
            }
        })
        .detach();
    if (finished.wait_for(limit) != std::future_status::ready)
        return false;
    finished.get();
    return true;
}

// Puts the listed environment variables back as they were, set or not.
class EnvironmentGuard
{
public:
    EnvironmentGuard(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
        {
            const char* value = std::getenv(name);
            saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    ~EnvironmentGuard()
    {
        for (const auto& [name, value] : saved)
            value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
};

} // namespace Kavrel::Test
