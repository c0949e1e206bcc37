#pragma once

#include <Kavrel/Core/EventPublisher.h>

#include <boost/bind/bind.hpp>
#include <boost/function.hpp>
#include <boost/thread/recursive_mutex.hpp>

#include <algorithm>
#include <mutex>
#include <vector>

namespace Kavrel::Core
{

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
        std::vector<Observer*> snapshot;
        {
            std::lock_guard<boost::recursive_mutex> lock(listMutex);
            snapshot = observers;
        }
        for (Observer* observer : snapshot)
            policy.Execute(boost::function<void()>(boost::bind<void>(call, observer)));
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
