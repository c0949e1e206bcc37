#include <Kavrel/Core/RefCountImpl.h>

namespace Kavrel
{

RefCountImpl::~RefCountImpl() = default;

long RefCountImpl::AddRefImpl() const { return refCount.fetch_add(1, std::memory_order_relaxed) + 1; }

long RefCountImpl::ReleaseImpl() const
{
    const long left = refCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (left == 0)
        delete this;
    return left;
}

long RefCountImpl::GetRefCountImpl() const { return refCount.load(std::memory_order_acquire); }

void intrusive_ptr_add_ref(const RefCountImpl* object) { object->AddRefImpl(); }

void intrusive_ptr_release(const RefCountImpl* object) { object->ReleaseImpl(); }

} // namespace Kavrel
