#pragma once

#include <Kavrel/Core/KavrelCoreExport.h>

#include <atomic>

namespace Kavrel
{

/// Base of reference-counted core objects held by boost::intrusive_ptr. The
/// object deletes itself when the last reference goes.
class KAVRELCORE_EXPORT RefCountImpl
{
public:
    long AddRefImpl() const;
    /// Returns the count left; at zero the object has been deleted.
    long ReleaseImpl() const;
    long GetRefCountImpl() const;

protected:
    RefCountImpl() = default;
    RefCountImpl(const RefCountImpl&) {}
    RefCountImpl& operator=(const RefCountImpl&) { return *this; }
    virtual ~RefCountImpl();

private:
    mutable std::atomic<long> refCount{0};
};

KAVRELCORE_EXPORT void intrusive_ptr_add_ref(const RefCountImpl* object);
KAVRELCORE_EXPORT void intrusive_ptr_release(const RefCountImpl* object);

} // namespace Kavrel
