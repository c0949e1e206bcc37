#pragma once

#include <Kavrel/Core/EventPublisher.h>

#include <boost/bind/bind.hpp>
#include <boost/container/small_vector.hpp>
#include <boost/function.hpp>
#include <boost/ref.hpp>
#include <boost/thread/recursive_mutex.hpp>

#include <algorithm>
#include <mutex>
#include <type_traits>
#include <vector>

namespace Kavrel::Core
{

/// Whether a policy runs each call before Execute returns (it says so with a
/// `static constexpr bool Synchronous = true`).
template <class Policy, class = void> struct IsSynchronous : std::false_type
{
};
template <class Policy>
struct IsSynchronous<Policy, std::void_t<decltype(Policy::Synchronous)>>
    : std::bool_constant<Policy::Synchronous>
{
};

/// An ordered list of observers that notifications are delivered to, one whole
/// delivery at a time. Both locks are recursive so that an observer may
/// subscribe, unsubscribe or cause a nested notification from inside its call.
template <class Observer, class ExecutePolicy>
class EventHandlerList : public virtual EventPublisher<Observer>
{
public:
    void Subscribe(Observer* observer) override
    {
        if (!observer)
            return;
        std::lock_guard<boost::recursive_mutex> lock(listMutex);
        if (std::find(observers.begin(), observers.end(), observer) == observers.end())
            observers.push_back(observer);
    }

    void Unsubscribe(Observer* observer) override
    {
        if (!observer)
            return;
        std::lock_guard<boost::recursive_mutex> lock(listMutex);
        const auto found = std::find(observers.begin(), observers.end(), observer);
        if (found != observers.end())
            observers.erase(found);
    }

    /// Delivers call(observer) to every observer registered when the delivery
    /// began, in registration order. Exceptions from observers pass through.
    template <class Call> void Notify(const Call& call)
    {
        /// The delivery lock comes first: a delivery that waited for another
        /// thread's must see the list as that one left it, never an observer
        /// already unsubscribed (and perhaps deleted) meanwhile.
        std::lock_guard<boost::recursive_mutex> delivery(notifyMutex);
        // Most lists are short: the snapshot then needs no allocation.
        boost::container::small_vector<Observer*, 16> snapshot;
        {
            std::lock_guard<boost::recursive_mutex> lock(listMutex);
            snapshot.assign(observers.begin(), observers.end());
        }
        for (Observer* observer : snapshot)
        {
            const auto deliver = [&call, observer] { call(observer); };
            // A policy that runs the call before returning can take it by
            // reference; any other gets its own copy.
            if constexpr (IsSynchronous<ExecutePolicy>::value)
                policy.Execute(boost::function<void()>(boost::cref(deliver)));
            else
                policy.Execute(boost::function<void()>(boost::bind<void>(call, observer)));
        }
    }

    size_t ObserverCount() const
    {
        std::lock_guard<boost::recursive_mutex> lock(listMutex);
        return observers.size();
    }

private:
    std::vector<Observer*> observers;
    mutable boost::recursive_mutex listMutex;
    boost::recursive_mutex notifyMutex;
    ExecutePolicy policy;
};

} // namespace Kavrel::Core
