#include "verrick/com/collection.h"

#include "support/enumerator.h"

#include "support/runtime_error.h"
#include "support/values.h"
#include "verrick/com/vb_values.h"

namespace verrick {
namespace {

using support::Variant;

// A private identity: lets the library reach its own collections without IDispatch.
// {5B7E02B4-6C1D-4E2A-9A51-0C3A8F7D2E61}
constexpr IID IID_NativeCollection = {
    0x5b7e02b4, 0x6c1d, 0x4e2a, {0x9a, 0x51, 0x0c, 0x3a, 0x8f, 0x7d, 0x2e, 0x61}};

std::wstring FoldKey(std::wstring_view key)
{
    return support::UpperText(key);
}

bool IsNumeric(VARTYPE type) noexcept
{
    switch (type) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DECIMAL:
    case VT_DATE:
    case VT_BOOL: return true;
    default: return false;
    }
}

// The items as they are now, from a position: For Each sees what the loop
// adds or removes; the source holds the collection while the loop runs.
class LiveItems {
public:
    explicit LiveItems(Collection* owner) noexcept : owner_(owner) {}

    size_t size() const noexcept { return static_cast<size_t>(owner_->Size()); }
    HRESULT HandOut(size_t index, VARIANT& item) const noexcept
    {
        ::VariantInit(&item);
        return ::VariantCopy(&item, const_cast<VARIANT*>(&owner_->At(static_cast<long>(index) + 1)));
    }
    static void Free(VARIANT& item) noexcept { ::VariantClear(&item); }

private:
    support::ComPtr<Collection> owner_;
};

using Enumerator = support::Enumerator<IEnumVARIANT, VARIANT, LiveItems, ComObject<IEnumVARIANT>>;

} // namespace

Collection* Collection::FromObject(IUnknown* object) noexcept
{
    if (!object) return nullptr;
    void* native = nullptr;
    if (FAILED(object->QueryInterface(IID_NativeCollection, &native)) || !native) return nullptr;
    // The caller's own reference keeps the object alive; the private identity needs none.
    auto* collection = static_cast<Collection*>(native);
    collection->Release();
    return collection;
}

bool Collection::QueryExtra(REFIID iid, void** object) noexcept
{
    if (!IsEqualIID(iid, IID_NativeCollection)) return false;
    *object = this;
    return true;
}

const VARIANT& Collection::At(long position) const
{
    if (position < 1 || position > Size()) support::Raise(support::err::SubscriptOutOfRange);
    return *entries_[static_cast<size_t>(position - 1)]->value;
}

void Collection::Append(const VARIANT& value)
{
    Insert(entries_.size(), Variant::CopyOf(value), *Variant::Missing());
}

void Collection::Append(const VARIANT& value, std::wstring_view key)
{
    Insert(entries_.size(), Variant::CopyOf(value), *Variant::Text(key));
}

void Collection::Append(Variant&& value)
{
    Insert(entries_.size(), std::move(value), *Variant::Missing());
}

void Collection::Insert(size_t slot, Variant value, const VARIANT& key)
{
    auto entry = std::make_unique<Entry>();
    entry->value = std::move(value);
    if (!vb::IsMissing(key)) {
        entry->foldedKey = FoldKey(vb::ToText(key));
        entry->hasKey = true;
        if (keys_.count(entry->foldedKey)) support::Raise(support::err::KeyAlreadyAssociated);
    }
    if (entries_.size() >= 0x7FFFFFFF) support::Raise(support::err::OutOfMemory);
    entries_.insert(entries_.begin() + static_cast<ptrdiff_t>(slot), nullptr);
    Entry* stored = entry.get();
    entries_[slot] = std::move(entry);
    if (stored->hasKey) {
        try {
            keys_.emplace(stored->foldedKey, stored);
        } catch (...) {
            entries_.erase(entries_.begin() + static_cast<ptrdiff_t>(slot));
            throw;
        }
    }
}

size_t Collection::Locate(const VARIANT& index) const
{
    Variant value = vb::ValueOf(index);
    if (value.vt() == VT_BSTR) {
        auto found = keys_.find(FoldKey(support::BstrView(value.get()->bstrVal)));
        if (found == keys_.end()) support::Raise(support::err::InvalidProcedureCall);
        for (size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].get() == found->second) return i;
        support::Raise(support::err::InvalidProcedureCall);
    }
    if (!IsNumeric(value.vt())) support::Raise(support::err::TypeMismatch);
    LONG position = vb::ToLong(*value);
    if (position < 1 || position > Size()) support::Raise(support::err::SubscriptOutOfRange);
    return static_cast<size_t>(position - 1);
}

HRESULT Collection::Item(VARIANT Index, VARIANT* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        ::VariantInit(Result);
        if (vb::IsMissing(Index)) support::Raise(support::err::ArgumentNotOptional);
        Variant copy(entries_[Locate(Index)]->value);
        copy.move_to(Result);
    });
}

HRESULT Collection::Add(VARIANT Item, VARIANT Key, VARIANT Before, VARIANT After)
{
    return GuardMethod([&] {
        bool before = !vb::IsMissing(Before);
        bool after = !vb::IsMissing(After);
        if (before && after) support::Raise(support::err::InvalidProcedureCall);
        size_t slot = entries_.size();
        if (before) slot = Locate(Before);
        if (after) slot = Locate(After) + 1;
        Insert(slot, Variant::CopyOf(Item), Key);
    });
}

HRESULT Collection::Count(long* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = Size();
    });
}

HRESULT Collection::Remove(VARIANT Index)
{
    return GuardMethod([&] {
        size_t slot = Locate(Index);
        if (entries_[slot]->hasKey) keys_.erase(entries_[slot]->foldedKey);
        entries_.erase(entries_.begin() + static_cast<ptrdiff_t>(slot));
    });
}

HRESULT Collection::_NewEnum(IUnknown** Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = MakeObject<Enumerator>(LiveItems(this)).release();
    });
}

} // namespace verrick
