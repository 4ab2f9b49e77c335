#pragma once
// The one reference-counting base of COM objects: an atomic count, and a
// QueryInterface that walks the object's interface list (IDispatch answered
// by the first dual interface). Objects start with one reference, owned by
// whoever made them (MakeObject). A part of another object (a connection
// point inside its container) is a ComPart: the same QueryInterface over its
// own list, and its owner's reference count.

#include <windows.h>
#include <ocidl.h>
#include <unknwn.h>

#include <type_traits>
#include <utility>

#include "support/com.h"

namespace support {

// Sets *object, without AddRef, when iid names one of the interfaces (or
// IDispatch, answered by the first dual one, or IProvideClassInfo, answered
// by IProvideClassInfo2).
template <typename Self, typename Interface, typename... More>
bool FindInterface(Self* self, REFIID iid, void** object) noexcept
{
    if (IsEqualIID(iid, __uuidof(Interface))) {
        *object = static_cast<Interface*>(self);
        return true;
    }
    if constexpr (std::is_base_of_v<IDispatch, Interface>) {
        if (IsEqualIID(iid, IID_IDispatch)) {
            *object = static_cast<Interface*>(self);
            return true;
        }
    }
    if constexpr (std::is_same_v<IProvideClassInfo2, Interface>) {
        if (IsEqualIID(iid, IID_IProvideClassInfo)) {
            *object = static_cast<Interface*>(self);
            return true;
        }
    }
    if constexpr (sizeof...(More) > 0) return FindInterface<Self, More...>(self, iid, object);
    return false;
}

// QueryInterface over an interface list: IUnknown is the first interface, then
// the list, then extra(iid, object) for what lies outside it; what is found is
// AddRef'd.
template <typename Self, typename First, typename... Rest, typename Extra>
HRESULT QueryInterfaceList(Self* self, REFIID iid, void** object, Extra&& extra) noexcept
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown)) {
        *object = static_cast<First*>(self);
    } else if (!FindInterface<Self, First, Rest...>(self, iid, object) && !extra(iid, object)) {
        return E_NOINTERFACE;
    }
    self->AddRef();
    return S_OK;
}

template <typename First, typename... Rest> class ComObjectBase : public First, public Rest... {
public:
    ComObjectBase(const ComObjectBase&) = delete;
    ComObjectBase& operator=(const ComObjectBase&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return QueryInterfaceList<ComObjectBase, First, Rest...>(
            this, iid, object, [this](REFIID extra, void** found) { return QueryExtra(extra, found); });
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        return static_cast<ULONG>(::InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG left = ::InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    ComObjectBase() noexcept = default;
    virtual ~ComObjectBase() = default;

    // For interfaces outside the list (a private identity, say); sets *object without AddRef.
    virtual bool QueryExtra(REFIID, void**) noexcept { return false; }

private:
    LONG references_ = 1;
};

template <typename First, typename... Rest> class ComPart : public First, public Rest... {
public:
    ComPart(const ComPart&) = delete;
    ComPart& operator=(const ComPart&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return QueryInterfaceList<ComPart, First, Rest...>(this, iid, object,
                                                           [](REFIID, void**) noexcept { return false; });
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

protected:
    // The owner outlives the part: the part is a member of it.
    explicit ComPart(IUnknown& owner) noexcept : owner_(owner) {}
    ~ComPart() = default;

private:
    IUnknown& owner_;
};

// The IDispatch of an object called by DISPID alone (ambient properties, an
// event sink): it has no type information and knows no names. Base is the
// object's reference-counting base, with IDispatch among its interfaces.
template <typename Base> class DispidOnly : public Base {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override
    {
        for (UINT i = 0; ids && i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
};

// An event sink: each call reaches Event, and the source always hears S_OK
// with an empty result, whatever the event and whatever its handler did.
template <typename Base> class DispidEventSink : public DispidOnly<Base> {
public:
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override
    {
        if (result) ::VariantInit(result);
        const DISPPARAMS none{};
        Event(member, params ? *params : none);
        return S_OK;
    }

protected:
    virtual void Event(DISPID member, const DISPPARAMS& params) noexcept = 0;
};

// Creates an object with one reference owned by the caller.
template <typename T, typename... Args> ComPtr<T> MakeObject(Args&&... args)
{
    return ComPtr<T>::Attach(new T(std::forward<Args>(args)...));
}

} // namespace support
