#pragma once
// The one enumerator of COM lists (IEnumVARIANT, IEnumConnections,
// IEnumConnectionPoints...): Next, Skip, Reset and Clone over a source that
// tells its size and hands out its items. SnapshotEnumerator is the usual
// source, the items as they were when the enumerator was made, shared by its
// clones; a live source (a collection walked by For Each) reads its owner.

#include <windows.h>
#include <ocidl.h>

#include <algorithm>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "support/com.h"
#include "support/com_object.h"
#include "support/runtime_error.h"

namespace support {

// Source: copyable, with size() and HRESULT HandOut(size_t index, Item& item)
// that fills one item the caller then owns. Base: the reference-counting base
// of the module, ComObjectBase<Enum> or one derived from it.
template <typename Enum, typename Item, typename Source, typename Base = ComObjectBase<Enum>>
class Enumerator final : public Base {
public:
    explicit Enumerator(Source source, size_t next = 0) : source_(std::move(source)), next_(next) {}

    // As the enumerator interfaces prescribe: fetched may be null only when one item is asked for.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* items, ULONG* fetched) override
    {
        if (!items || (count > 1 && !fetched)) return E_POINTER;
        ULONG done = 0;
        for (; done < count && next_ < source_.size(); ++done, ++next_) {
            HRESULT hr = source_.HandOut(next_, items[done]);
            if (FAILED(hr)) {
                for (ULONG i = 0; i < done; ++i)
                    source_.Free(items[i]);
                if (fetched) *fetched = 0;
                return hr;
            }
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        size_t left = next_ < source_.size() ? source_.size() - next_ : 0;
        next_ += std::min<size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(Enum** copy) override
    {
        if (!copy) return E_POINTER;
        *copy = nullptr;
        try {
            *copy = MakeObject<Enumerator>(source_, next_).release();
            return S_OK;
        } catch (...) {
            return support::HresultOfCaughtError();
        }
    }

private:
    Source source_;
    size_t next_;
};

// How an item of a list is handed out: a copy the receiver owns, and its release.
inline HRESULT CopyItem(const Variant& entry, VARIANT& item) noexcept
{
    ::VariantInit(&item);
    return ::VariantCopy(&item, const_cast<VARIANT*>(entry.get()));
}
inline void FreeItem(VARIANT& item) noexcept
{
    ::VariantClear(&item);
}
template <typename Interface> HRESULT CopyItem(const ComPtr<Interface>& entry, Interface*& item) noexcept
{
    entry.copy_to(&item);
    return S_OK;
}
template <typename Interface> void FreeItem(Interface*& item) noexcept
{
    if (Interface* held = std::exchange(item, nullptr)) held->Release();
}
// A connection point's sink and its cookie.
struct ConnectionEntry {
    ComPtr<IUnknown> sink;
    DWORD cookie;
};
inline HRESULT CopyItem(const ConnectionEntry& entry, CONNECTDATA& item) noexcept
{
    entry.sink.copy_to(&item.pUnk);
    item.dwCookie = entry.cookie;
    return S_OK;
}
inline void FreeItem(CONNECTDATA& item) noexcept
{
    if (IUnknown* held = std::exchange(item.pUnk, nullptr)) held->Release();
}

// The items as they were when the first enumerator was made; its clones share them.
template <typename Entry> class Snapshot {
public:
    explicit Snapshot(std::vector<Entry> entries)
        : entries_(std::make_shared<const std::vector<Entry>>(std::move(entries)))
    {}

    size_t size() const noexcept { return entries_->size(); }
    template <typename Item> HRESULT HandOut(size_t index, Item& item) const noexcept
    {
        return CopyItem((*entries_)[index], item);
    }
    template <typename Item> static void Free(Item& item) noexcept { FreeItem(item); }

private:
    std::shared_ptr<const std::vector<Entry>> entries_;
};

template <typename Enum, typename Item, typename Entry, typename Base = ComObjectBase<Enum>>
using SnapshotEnumerator = Enumerator<Enum, Item, Snapshot<Entry>, Base>;

// An enumerator over a snapshot of entries, with one reference owned by the caller.
template <typename Enum, typename Item, typename Entry, typename Base = ComObjectBase<Enum>>
ComPtr<Enum> MakeSnapshotEnumerator(std::vector<Entry> entries)
{
    return ComPtr<Enum>::Attach(
        MakeObject<SnapshotEnumerator<Enum, Item, Entry, Base>>(Snapshot<Entry>(std::move(entries)))
            .release());
}

} // namespace support
