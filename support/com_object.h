#pragma once
// The one reference-counting base of COM objects: an atomic count, and a
// QueryInterface that walks the object's interface list (IDispatch answered
// by the first dual interface). Objects start with one reference, owned by
// whoever made them (MakeObject).

#include <windows.h>
#include <unknwn.h>

#include <type_traits>
#include <utility>

#include "support/com.h"

namespace support {

template <typename First, typename... Rest> class ComObjectBase : public First, public Rest... {
public:
    ComObjectBase(const ComObjectBase&) = delete;
    ComObjectBase& operator=(const ComObjectBase&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown)) {
            *object = static_cast<First*>(this);
        } else if (!Find<First, Rest...>(iid, object)) {
            if (!QueryExtra(iid, object)) return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
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
    template <typename Interface, typename... More> bool Find(REFIID iid, void** object) noexcept
    {
        if (IsEqualIID(iid, __uuidof(Interface))) {
            *object = static_cast<Interface*>(this);
            return true;
        }
        if constexpr (std::is_base_of_v<IDispatch, Interface>) {
            if (IsEqualIID(iid, IID_IDispatch)) {
                *object = static_cast<Interface*>(this);
                return true;
            }
        }
        if constexpr (sizeof...(More) > 0) return Find<More...>(iid, object);
        return false;
    }

    LONG references_ = 1;
};

// Creates an object with one reference owned by the caller.
template <typename T, typename... Args> ComPtr<T> MakeObject(Args&&... args)
{
    return ComPtr<T>::Attach(new T(std::forward<Args>(args)...));
}

} // namespace support
