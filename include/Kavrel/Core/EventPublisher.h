#pragma once

namespace Kavrel::Core
{

/// Where observers of one interface subscribe. Observers are never owned.
template <class Observer> class EventPublisher
{
public:
    virtual void Subscribe(Observer* observer) = 0;
    virtual void Unsubscribe(Observer* observer) = 0;
    virtual ~EventPublisher() = default;
};

} // namespace Kavrel::Core
