#include "toolkit/property_bag.h"

#include <new>

#include "support/com_object.h"
#include "support/runtime_error.h"
#include "support/values.h"

namespace toolkit {
namespace {

class BagAdapter final : public support::ComObjectBase<IPropertyBag> {
public:
    explicit BagAdapter(PropertyBag* bag) : bag_(bag) {}
    void Orphan() noexcept { bag_ = nullptr; }

    // value->vt on entry is the type the caller wants; VT_EMPTY takes the value as stored.
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override
    {
        if (!name || !value) return E_POINTER;
        if (!bag_) return E_UNEXPECTED;
        try {
            if (!bag_->Contains(name)) return E_INVALIDARG;
            support::Variant stored = bag_->Read(name);
            VARTYPE wanted = value->vt;
            if (wanted != VT_EMPTY && wanted != stored.get()->vt &&
                FAILED(::VariantChangeType(stored.get(), stored.get(), 0, wanted)))
                return DISP_E_TYPEMISMATCH;
            *value = stored.release();
            return S_OK;
        } catch (...) {
            return support::HresultOfCaughtError();
        }
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override
    {
        if (!name || !value) return E_POINTER;
        if (!bag_) return E_UNEXPECTED;
        try {
            bag_->Write(name, *value);
            return S_OK;
        } catch (...) {
            return support::HresultOfCaughtError();
        }
    }

private:
    PropertyBag* bag_;
};

} // namespace

bool PropertyBag::Contains(std::wstring_view name) const
{
    return values_.contains(support::FoldedName(name));
}

support::Variant PropertyBag::Read(std::wstring_view name) const
{
    auto found = values_.find(support::FoldedName(name));
    return found == values_.end() ? support::Variant() : found->second;
}

void PropertyBag::Write(std::wstring_view name, const VARIANT& value)
{
    values_[support::FoldedName(name)] = support::Variant::CopyOf(value);
}

PropertyBag::Lent::Lent(PropertyBag& bag)
    : adapter_(support::ComPtr<IPropertyBag>::Attach(new BagAdapter(&bag)))
{}

PropertyBag::Lent::~Lent()
{
    static_cast<BagAdapter*>(adapter_.get())->Orphan();
}

} // namespace toolkit
