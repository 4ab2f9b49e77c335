#pragma once
// Outgoing events through the standard connection points. A class that
// raises events derives from EventSourceObject: it serves
// IConnectionPointContainer with one connection point for its event
// dispinterface, and names that interface through IProvideClassInfo2 so
// that hosts (a VB client's WithEvents, a script host's event binding) find
// it from the object alone. Events reach each sink through IDispatch::Invoke.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <initializer_list>
#include <vector>

#include "support/com.h"
#include "support/connection_point.h"
#include "verrick/com/com_object.h"

namespace verrick {

// The one connection point, generic over its sink interface; its connection
// enumerators keep the library loaded as every object of it does.
template <typename Sink> using ConnectionPoint = support::ConnectionPoint<Sink, ComObject>;

// Calls an event on every sink of a dispinterface point, arguments in source order.
void RaiseEvent(ConnectionPoint<IDispatch>& point, DISPID member,
                std::initializer_list<VARIANT> arguments) noexcept;

// A container's enumeration of its connection points, as they are now.
HRESULT EnumerateConnectionPoints(std::initializer_list<IConnectionPoint*> all,
                                  IEnumConnectionPoints** points) noexcept;
template <typename Derived, typename Dual>
class EventSourceObject : public DispatchObject<Derived, Dual, IConnectionPointContainer> {
public:
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override
    {
        return EnumerateConnectionPoints({&point_}, points);
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override
    {
        if (!point) return E_POINTER;
        *point = nullptr;
        if (!IsEqualIID(iid, point_.Events())) return CONNECT_E_NOCONNECTION;
        *point = &point_;
        point_.AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD kind, GUID* guid) override
    {
        if (!guid) return E_POINTER;
        if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) return E_INVALIDARG;
        *guid = point_.Events();
        return S_OK;
    }

protected:
    explicit EventSourceObject(REFIID events) noexcept
        : point_(static_cast<IConnectionPointContainer&>(*this), events)
    {}

    // Raising may run client code that drops the last reference to this
    // object: make it the last thing a method does.
    void RaiseEvent(DISPID member, std::initializer_list<VARIANT> arguments) noexcept
    {
        verrick::RaiseEvent(point_, member, arguments);
    }

private:
    ConnectionPoint<IDispatch> point_;
};

} // namespace verrick
