#pragma once
// The library's collection: 1-based, items optionally keyed (keys compare
// without regard to case), Add with Before or After, Item by position or key
// as the default member, Remove, and For Each through _NewEnum.

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Velmora.h"
#include "support/com.h"
#include "verrick/com/com_object.h"

namespace verrick {

class Collection final : public DispatchObject<Collection, _Collection> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.Collection";

    Collection() = default;

    // Our own collection behind an object, for direct access; null for any other object.
    static Collection* FromObject(IUnknown* object) noexcept;

    long Size() const noexcept { return static_cast<long>(entries_.size()); }
    // Item at a 1-based position; raises 9 outside 1..Size.
    const VARIANT& At(long position) const;
    // Appends a value; with a key, raises 457 when the key is taken.
    void Append(const VARIANT& value);
    void Append(const VARIANT& value, std::wstring_view key);
    void Append(support::Variant&& value);
    void Reserve(size_t count) { entries_.reserve(count); }

    HRESULT STDMETHODCALLTYPE Item(VARIANT Index, VARIANT* Result) override;
    HRESULT STDMETHODCALLTYPE Add(VARIANT Item, VARIANT Key, VARIANT Before, VARIANT After) override;
    HRESULT STDMETHODCALLTYPE Count(long* Result) override;
    HRESULT STDMETHODCALLTYPE Remove(VARIANT Index) override;
    HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown** Result) override;

private:
    struct Entry {
        support::Variant value;
        std::wstring foldedKey;
        bool hasKey = false;
    };

    bool QueryExtra(REFIID iid, void** object) noexcept override;
    // The 0-based slot an Index argument names: a position or a key.
    size_t Locate(const VARIANT& index) const;
    void Insert(size_t slot, support::Variant value, const VARIANT& key);

    std::vector<std::unique_ptr<Entry>> entries_;
    std::unordered_map<std::wstring, Entry*> keys_;
};

} // namespace verrick
