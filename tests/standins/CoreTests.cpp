// Tests of the core services: wide/UTF-8 text, paths, reference counting and the observer list.
#include "StandinSupport.h"
#include "TestEnvironment.h"

#include <Kavrel/Core/EventHandlerList.h>
#include <Kavrel/Core/RefCountImpl.h>
#include <Kavrel/Core/SyncExecutePolicy.h>
#include <Kavrel/Core/Utf.h>
#include <Kavrel/Core/ioPath.h>
#include <Kavrel/Platform/Utf8.h>

#include <gtest/gtest.h>

#include <boost/intrusive_ptr.hpp>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

using namespace std::string_literals;
using Kavrel::ioPath;
using Kavrel::Core::Utf8FromWstring;
using Kavrel::Core::WstringFromUtf8;

// ---------------------------------------------------------------- UTF conversions

TEST(CoreUtf, EveryCodePointRoundTripsThroughValidUtf8)
{
    EXPECT_EQ(Utf8FromWstring(L"a\0Я漢\U0001F600\U0010FFFF"s), "a\0Я漢\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"s);
    EXPECT_EQ(WstringFromUtf8(Utf8FromWstring(L"")), L"");
    std::wstring all;
    for (char32_t c = 0; c <= 0x10FFFF; ++c)
        if (c < 0xD800 || c > 0xDFFF)
            all += static_cast<wchar_t>(c);
    const std::string utf8 = Utf8FromWstring(all);
    EXPECT_EQ(utf8.size(), 0x80 * 1 + (0x800 - 0x80) * 2 + (0x10000 - 0x800 - 0x800) * 3 + 0x100000 * 4);
    EXPECT_TRUE(Kavrel::Platform::MakeValidUtf8(utf8) == utf8);
    EXPECT_TRUE(WstringFromUtf8(utf8) == all);
}

TEST(CoreUtf, InvalidInputBecomesReplacementCharacters)
{
    EXPECT_EQ(WstringFromUtf8("q\xFFz"), L"q\uFFFDz");
    EXPECT_EQ(WstringFromUtf8("\xF0\x9F\x98"), L"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(WstringFromUtf8("\xED\xA0\x80Я"), L"\uFFFD\uFFFD\uFFFDЯ");
    const std::wstring badWide{L'a', static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0x110000),
                               static_cast<wchar_t>(-1), L'z'};
    EXPECT_EQ(Utf8FromWstring(badWide), "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDz");
}

// ---------------------------------------------------------------- ioPath

TEST(CoreIoPath, NarrowAndWideAgreeAndReachTheDiskAsUtf8)
{
    const char* utf8 = "/данные/漢字/\xF0\x9F\x98\x80.log";
    const std::wstring wide = L"/данные/漢字/\U0001F600.log";
    EXPECT_EQ(ioPath(std::string(utf8)), ioPath(utf8));
    EXPECT_EQ(ioPath(wide).utf8string(), utf8);
    EXPECT_EQ(ioPath(utf8).wstring(), wide);
    EXPECT_TRUE(ioPath(static_cast<const char*>(nullptr)).empty());
    EXPECT_EQ(ioPath("bad\xFF").wstring(), L"bad\uFFFD");

    const ioPath folder = ioPath(Kavrel::Test::IsolatedRoot()) / ioPath(std::wstring(L"Папка"));
    std::filesystem::create_directories(folder.native());
    std::ofstream((folder / ioPath(std::wstring(L"文.txt"))).native()) << "x";
    EXPECT_TRUE(std::filesystem::exists(Kavrel::Test::IsolatedRoot() + "/Папка/文.txt"));
}

TEST(CoreIoPath, JoiningAndParents)
{
    EXPECT_EQ((ioPath("/a") / "Привет").utf8string(), "/a/Привет");
    EXPECT_EQ((ioPath("/a/") / "b").utf8string(), "/a/b");
    EXPECT_EQ((ioPath("/a") / "/abs").utf8string(), "/abs");
    ioPath grown("base");
    grown /= ioPath(std::wstring(L"文"));
    EXPECT_EQ(grown.utf8string(), "base/文");
    EXPECT_EQ(ioPath("/a/Привет/c.txt").parent_path().utf8string(), "/a/Привет");
    EXPECT_EQ(ioPath("/").parent_path().utf8string(), "/");
    EXPECT_TRUE(ioPath("file.txt").parent_path().empty());
}

// ---------------------------------------------------------------- RefCountImpl

namespace
{
struct Counted : Kavrel::RefCountImpl
{
    explicit Counted(int& destroyed) : destroyed(&destroyed) {}
    ~Counted() override { ++*destroyed; }
    int* destroyed;
};
} // namespace

TEST(CoreRefCount, DestroyedExactlyWhenTheCountReachesZero)
{
    int destroyed = 0;
    boost::intrusive_ptr<Counted> first(new Counted(destroyed)), second = first;
    EXPECT_EQ(first->GetRefCountImpl(), 2);
    first.reset();
    EXPECT_EQ(destroyed, 0);
    second.reset();
    EXPECT_EQ(destroyed, 1);

    auto* raw = new Counted(destroyed);
    EXPECT_EQ(raw->AddRefImpl(), 1);
    EXPECT_EQ(raw->AddRefImpl(), 2);
    EXPECT_EQ(raw->ReleaseImpl(), 1);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(raw->ReleaseImpl(), 0);
    EXPECT_EQ(destroyed, 2);
}

TEST(CoreRefCount, CopiesKeepTheirOwnCount)
{
    int destroyed = 0;
    boost::intrusive_ptr<Counted> original(new Counted(destroyed));
    boost::intrusive_ptr<Counted> copy(new Counted(*original));
    EXPECT_EQ(copy->GetRefCountImpl(), 1);
    *copy = *original;
    EXPECT_EQ(copy->GetRefCountImpl(), 1);
    copy.reset();
    EXPECT_EQ(destroyed, 1);
}

// ---------------------------------------------------------------- EventHandlerList

namespace
{
struct IListener
{
    virtual void OnEvent(int value) = 0;
    virtual ~IListener() = default;
};

using Listeners = Kavrel::Core::EventHandlerList<IListener, Kavrel::Core::SyncExecutePolicy>;
using Log = std::vector<std::string>;

void Send(Listeners& listeners, int value)
{
    listeners.Notify([value](IListener* listener) { listener->OnEvent(value); });
}

// Writes "<id><value>" to the log, if it has one, then runs its action.
struct Recorder : IListener
{
    Recorder(const char* id, Log* log) : id(id), log(log) {}
    void OnEvent(int value) override
    {
        if (log)
            log->push_back(id + std::to_string(value));
        if (action)
            action(value);
    }
    std::string id;
    Log* log;
    std::function<void(int)> action;
};

struct ListState
{
    Listeners listeners;
    Log log;
    Recorder a{"a", &log}, b{"b", &log}, c{"c", &log};
};
} // namespace

class CoreEventHandlerList : public ::testing::Test
{
protected:
    // Shared, so that a delivery FinishesWithin abandons after a deadlock stays valid.
    std::shared_ptr<ListState> state = std::make_shared<ListState>();
    Listeners& listeners = state->listeners;
    Log& log = state->log;
    Recorder &a = state->a, &b = state->b, &c = state->c;

    Log Deliver(int value)
    {
        log.clear();
        Send(listeners, value);
        return log;
    }
};

TEST_F(CoreEventHandlerList, RegistrationOrderWithoutDuplicates)
{
    Recorder unknown{"x", &log};
    for (IListener* listener : {&a, &b, &c, &a, static_cast<Recorder*>(nullptr)})
        listeners.Subscribe(listener);
    EXPECT_EQ(listeners.ObserverCount(), 3u);
    EXPECT_EQ(Deliver(1), (Log{"a1", "b1", "c1"}));
    listeners.Unsubscribe(&unknown);
    listeners.Unsubscribe(nullptr);
    listeners.Unsubscribe(&b);
    EXPECT_EQ(Deliver(2), (Log{"a2", "c2"}));
    listeners.Subscribe(&b);
    EXPECT_EQ(Deliver(3), (Log{"a3", "c3", "b3"}));
}

TEST_F(CoreEventHandlerList, ChangesDuringADeliveryTakeEffectWithTheNext)
{
    for (IListener* listener : {&a, &b})
        listeners.Subscribe(listener);
    a.action = [this](int value)
    {
        if (value == 1)
            listeners.Subscribe(&c);
        if (value == 2)
            listeners.Unsubscribe(&c);
    };
    b.action = [this](int value)
    {
        if (value == 2)
            listeners.Unsubscribe(&b); // removing itself
    };
    EXPECT_EQ(Deliver(1), (Log{"a1", "b1"}));
    EXPECT_EQ(Deliver(2), (Log{"a2", "b2", "c2"}));
    EXPECT_EQ(Deliver(3), (Log{"a3"}));
}

TEST_F(CoreEventHandlerList, NestedNotifyCompletesBeforeTheOuterContinues)
{
    a.action = [raw = state.get()](int value)
    {
        if (value == 1)
            Send(raw->listeners, 2);
    };
    listeners.Subscribe(&a);
    listeners.Subscribe(&b);
    ASSERT_TRUE(Kavrel::Test::FinishesWithin([state = state] { Send(state->listeners, 1); })) << "deadlock";
    EXPECT_EQ(log, (Log{"a1", "a2", "b2", "b1"}));
}

TEST_F(CoreEventHandlerList, ExceptionLeavesNotifyAndTheListStaysUsable)
{
    for (IListener* listener : {&a, &b, &c})
        listeners.Subscribe(listener);
    b.action = [](int value)
    {
        if (value == 1)
            throw std::runtime_error("observer failed");
    };
    EXPECT_THROW(Send(listeners, 1), std::runtime_error);
    EXPECT_EQ(log, (Log{"a1", "b1"}));
    // Another thread must be able to deliver: the exception released the delivery lock.
    log.clear();
    ASSERT_TRUE(Kavrel::Test::FinishesWithin([state = state] { Send(state->listeners, 2); }))
        << "lock left held";
    EXPECT_EQ(log, (Log{"a2", "b2", "c2"}));
}

TEST(CoreSyncExecutePolicy, EmptyCallThrows)
{
    EXPECT_THROW(Kavrel::Core::SyncExecutePolicy().Execute({}), boost::bad_function_call);
}

namespace
{
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

TEST_F(CoreEventHandlerList, ADeliveryWaitingForAnotherSeesTheListThatOneLeft)
{
    // While delivery 1 runs, a second thread starts delivery 2 and waits; an
    // observer subscribed meanwhile must hear delivery 2.
    std::thread second;
    std::atomic<long> secondTid{0};
    listeners.Subscribe(&a);
    a.action = [&](int value)
    {
        if (value != 1)
            return;
        second = std::thread(
            [&]
            {
                secondTid = ::syscall(SYS_gettid);
                Send(listeners, 2);
            });
        ASSERT_TRUE(Kavrel::Test::WaitFor([&] { return secondTid && IsSleeping(secondTid); }));
        listeners.Subscribe(&b);
    };
    Send(listeners, 1);
    second.join();
    EXPECT_EQ(log, (Log{"a1", "a2", "b2"}));
}

TEST(CoreEventHandlerListThreads, ConcurrentDeliveriesAreNeverInterleaved)
{
    // first and last see one whole delivery at a time, while another thread
    // keeps changing the list.
    Listeners listeners;
    std::atomic<bool> busy{false}, stop{false};
    std::atomic<int> current{-1}, overlaps{0}, completed{0};
    Recorder first{"", nullptr}, last{"", nullptr}, extra{"", nullptr};
    first.action = [&](int value)
    {
        overlaps += busy.exchange(true);
        current = value;
    };
    last.action = [&](int value)
    {
        for (int i = 0; i < 3; ++i)
            std::this_thread::yield(); // room for another delivery to interleave, if one could
        overlaps += current != value;
        ++completed;
        busy = false;
    };
    listeners.Subscribe(&first);
    listeners.Subscribe(&last);

    std::thread churn(
        [&]
        {
            while (!stop)
            {
                listeners.Subscribe(&extra);
                listeners.Unsubscribe(&extra);
            }
        });
    std::vector<std::thread> senders;
    for (int t = 0; t < 4; ++t)
        senders.emplace_back(
            [&, t]
            {
                for (int i = 0; i < 2000; ++i)
                    Send(listeners, t * 2000 + i);
            });
    for (auto& sender : senders)
        sender.join();
    stop = true;
    churn.join();
    EXPECT_EQ(overlaps, 0);
    EXPECT_EQ(completed, 4 * 2000);
}
