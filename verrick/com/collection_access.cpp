#include "verrick/com/collection_access.h"

#include "verrick/com/late_bound.h"
#include "verrick/com/vb_values.h"

namespace verrick {

CollectionAccess::CollectionAccess(IDispatch* collection) : object_(late::RequireObject(collection))
{
    native_ = Collection::FromObject(object_.get());
}

long CollectionAccess::Count()
{
    if (native_) return native_->Size();
    return vb::ToLong(*late::Get(object_.get(), L"Count"));
}

support::Variant CollectionAccess::Item(long position)
{
    if (native_) return support::Variant(support::Variant::CopyOf(native_->At(position)));
    if (itemId_ == DISPID_UNKNOWN) itemId_ = late::MemberId(object_.get(), L"Item");
    return late::Invoke(object_.get(), itemId_, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                        {*support::Variant::Long(position)}, L"Item");
}

} // namespace verrick
