#pragma once
// Saved properties of the controls a form hosts: values by name, names
// compared without regard to case, as a form's saved file holds them. A
// control reads and writes them through IPropertyBag while the bag lends it
// an adapter for one Load or Save.

#include <windows.h>
#include <ocidl.h>

#include <map>
#include <string>
#include <string_view>

#include "support/com.h"

namespace toolkit {

class PropertyBag {
public:
    bool Empty() const noexcept { return values_.empty(); }
    size_t Count() const noexcept { return values_.size(); }
    bool Contains(std::wstring_view name) const;
    // The value stored under name; Empty when there is none.
    support::Variant Read(std::wstring_view name) const;
    // Replaces the value under name.
    void Write(std::wstring_view name, const VARIANT& value);
    void Clear() noexcept { values_.clear(); }

    // Runs body with an IPropertyBag over this bag that stops answering once body returns,
    // so a control that keeps it cannot reach a bag that is gone.
    template <typename Body> HRESULT Lend(Body&& body)
    {
        Lent lent(*this);
        return body(lent.Get());
    }

private:
    class Lent {
    public:
        explicit Lent(PropertyBag& bag);
        Lent(const Lent&) = delete;
        Lent& operator=(const Lent&) = delete;
        ~Lent();
        IPropertyBag* Get() const noexcept { return adapter_.get(); }

    private:
        support::ComPtr<IPropertyBag> adapter_;
    };

    std::map<std::wstring, support::Variant> values_; // by folded name
};

} // namespace toolkit
