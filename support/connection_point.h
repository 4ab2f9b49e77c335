#pragma once
// Outgoing calls through the standard connection points: the one connection
// point, generic over its sink interface. It lives inside its container and
// shares the container's reference count, so a client holding the point
// keeps the whole object alive.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <algorithm>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "support/com.h"
#include "support/com_object.h"
#include "support/enumerator.h"
#include "support/runtime_error.h"

namespace support {

// The sinks of one outgoing interface: an event dispinterface (Sink is
// IDispatch; sinks are reached through Invoke) or a notification interface
// such as IPropertyNotifySink. ObjectBase is the reference-counting base of
// its connection enumerators.
template <typename Sink, template <typename...> class ObjectBase = ComObjectBase>
class ConnectionPoint final : public ComPart<IConnectionPoint> {
public:
    ConnectionPoint(IConnectionPointContainer& container, REFIID events) noexcept
        : ComPart(container), container_(container), events_(events)
    {}

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override
    {
        if (!iid) return E_POINTER;
        *iid = events_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override
    {
        if (!container) return E_POINTER;
        *container = &container_;
        container_.AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override
    {
        if (!cookie) return E_POINTER;
        *cookie = 0;
        if (!sink) return E_POINTER;
        ComPtr<Sink> connected;
        if (FAILED(sink->QueryInterface(events_, connected.put_void()))) {
            // Sinks made from the type library answer the event interface; a script host's
            // generic sink may answer only IDispatch, which is all a dispinterface needs.
            if constexpr (!std::is_same_v<Sink, IDispatch>) return CONNECT_E_CANNOTCONNECT;
            if (FAILED(sink->QueryInterface(IID_IDispatch, connected.put_void())))
                return CONNECT_E_CANNOTCONNECT;
        }
        try {
            sinks_.push_back({nextCookie_, std::move(connected)});
        } catch (...) {
            return support::HresultOfCaughtError();
        }
        *cookie = nextCookie_++;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override
    {
        auto found = std::find_if(sinks_.begin(), sinks_.end(),
                                  [&](const Connection& sink) { return sink.cookie == cookie; });
        if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
        // The sink may be released only after it has left the list: its release may call back.
        ComPtr<Sink> leaving = std::move(found->sink);
        sinks_.erase(found);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override
    {
        if (!connections) return E_POINTER;
        *connections = nullptr;
        try {
            std::vector<ConnectionEntry> entries;
            entries.reserve(sinks_.size());
            for (const Connection& sink : sinks_)
                entries.push_back({ComPtr<IUnknown>(sink.sink.get()), sink.cookie});
            *connections = MakeSnapshotEnumerator<IEnumConnections, CONNECTDATA, ConnectionEntry,
                                                  ObjectBase<IEnumConnections>>(std::move(entries))
                               .release();
            return S_OK;
        } catch (...) {
            return support::HresultOfCaughtError();
        }
    }

    REFIID Events() const noexcept { return events_; }

    // Calls call(sink) for every sink connected when it starts, unless it has
    // disconnected meanwhile; a sink that fails does not stop the others.
    // Without the memory for the list, nothing is called.
    template <typename Call> void Notify(Call&& call) noexcept
    {
        // A sink may drop the last reference to the source: keep it until all sinks are called.
        ComPtr<IConnectionPointContainer> keepAlive(&container_);
        try {
            std::vector<Connection> sinks(sinks_);
            for (const Connection& sink : sinks) {
                bool stillConnected =
                    std::any_of(sinks_.begin(), sinks_.end(),
                                [&](const Connection& current) { return current.cookie == sink.cookie; });
                if (stillConnected) call(sink.sink.get());
            }
        } catch (const std::bad_alloc&) {
        }
    }

private:
    struct Connection {
        DWORD cookie;
        ComPtr<Sink> sink;
    };

    IConnectionPointContainer& container_;
    IID events_;
    std::vector<Connection> sinks_;
    DWORD nextCookie_ = 1;
};

} // namespace support
