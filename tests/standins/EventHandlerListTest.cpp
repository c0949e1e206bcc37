// Observer lists: nested and concurrent deliveries, and observers that throw.
#include "TestEnvironment.h"

#include <Kavrel/Core/EventHandlerList.h>
#include <Kavrel/Core/SyncExecutePolicy.h>

#include <stdexcept>
#include <sys/syscall.h>

using Lines = std::vector<std::string>;

namespace
{
struct IListener
{
    virtual void OnEvent(int value) = 0;
    virtual ~IListener() = default;
};

using Listeners = Kavrel::Core::EventHandlerList<IListener, Kavrel::Core::SyncExecutePolicy>;

void Send(Listeners& listeners, int value)
{
    listeners.Notify([value](IListener* listener) { listener->OnEvent(value); });
}

// Writes "<id><value>" to the log, then runs its action.
struct Recorder : IListener
{
    Recorder(const char* id, Lines& log) : id(id), log(log) {}
    void OnEvent(int value) override
    {
        log.push_back(id + std::to_string(value));
        if (action)
            action(value);
    }
    std::string id;
    Lines& log;
    std::function<void(int)> action;
};

// Shared, so that a delivery FinishesWithin abandons after a deadlock stays valid.
struct ListState
{
    Listeners listeners;
    Lines log;
    Recorder a{"a", log}, b{"b", log}, c{"c", log};
    Lines Deliver(int value)
    {
        log.clear();
        Send(listeners, value);
        return log;
    }
};

// True once the thread sleeps in the kernel (waiting on a lock).
bool IsSleeping(long tid)
{
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto end = line.rfind(')');
    return end != std::string::npos && end + 2 < line.size() && line[end + 2] == 'S';
}
} // namespace

TEST(CoreEventHandlerList, nestedNotifyCompletesFirstAndAnExceptionLeavesTheListUsable)
{
    auto state = std::make_shared<ListState>();
    state->a.action = [raw = state.get()](int value)
    {
        if (value == 1)
            Send(raw->listeners, 2);
    };
    state->b.action = [](int value)
    {
        if (value == 3)
            throw std::runtime_error("observer failed");
    };
    for (IListener* listener : {&state->a, &state->b, &state->c})
        state->listeners.Subscribe(listener);
    ASSERT_TRUE(Kavrel::Test::FinishesWithin([state] { Send(state->listeners, 1); })) << "deadlock";
    EXPECT_EQ(state->log, (Lines{"a1", "a2", "b2", "c2", "b1", "c1"}));
    EXPECT_THROW(state->Deliver(3), std::runtime_error);
    EXPECT_EQ(state->log, (Lines{"a3", "b3"}));
    // Another thread must be able to deliver: the exception released the delivery lock.
    ASSERT_TRUE(Kavrel::Test::FinishesWithin([state] { state->Deliver(4); })) << "lock left held";
    EXPECT_EQ(state->log, (Lines{"a4", "b4", "c4"}));
}

TEST(CoreEventHandlerList, aDeliveryWaitingForAnotherSeesTheListThatOneLeft)
{
    // While delivery 1 runs, a second thread starts delivery 2 and waits; an
    // observer subscribed meanwhile must hear delivery 2.
    ListState s;
    std::thread second;
    std::atomic<long> secondTid{0};
    s.listeners.Subscribe(&s.a);
    s.a.action = [&](int value)
    {
        if (value != 1)
            return;
        second = std::thread(
            [&]
            {
                secondTid = ::syscall(SYS_gettid);
                Send(s.listeners, 2);
            });
        ASSERT_TRUE(Kavrel::Test::WaitFor([&] { return secondTid && IsSleeping(secondTid); }));
        s.listeners.Subscribe(&s.b);
    };
    Send(s.listeners, 1);
    second.join();
    EXPECT_EQ(s.log, (Lines{"a1", "a2", "b2"}));
}
