#include "verrick/frame/connection_points.h"

#include <olectl.h>

#include <algorithm>
#include <memory>

#include "verrick/frame/module.h"

namespace verrick {
namespace {

using support::ComPtr;

// A snapshot enumerator: the items as they were when it was made; clones share them.
template <typename Enum, typename Item, typename Entry, void (*HandOut)(const Entry&, Item&)>
class SnapshotEnumerator final : public ComObject<Enum> {
public:
    explicit SnapshotEnumerator(std::shared_ptr<const std::vector<Entry>> entries, size_t next = 0) noexcept
        : entries_(std::move(entries)), next_(next)
    {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, Item* items, ULONG* fetched) override
    {
        if (!items || (count > 1 && !fetched)) return E_POINTER;
        ULONG done = 0;
        while (done < count && next_ < entries_->size())
            HandOut((*entries_)[next_++], items[done++]);
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        size_t left = entries_->size() - next_;
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
            *copy = MakeObject<SnapshotEnumerator>(entries_, next_).release();
            return S_OK;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

private:
    std::shared_ptr<const std::vector<Entry>> entries_;
    size_t next_;
};

struct Connection {
    ComPtr<IUnknown> sink;
    DWORD cookie;
};

void HandOutConnection(const Connection& entry, CONNECTDATA& item)
{
    entry.sink.copy_to(&item.pUnk);
    item.dwCookie = entry.cookie;
}

void HandOutPoint(const ComPtr<IConnectionPoint>& entry, IConnectionPoint*& item)
{
    entry.copy_to(&item);
}

using ConnectionEnumerator = SnapshotEnumerator<IEnumConnections, CONNECTDATA, Connection, HandOutConnection>;
using PointEnumerator =
    SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint*, ComPtr<IConnectionPoint>, HandOutPoint>;

} // namespace

ConnectionPoint::ConnectionPoint(IConnectionPointContainer& container, REFIID events) noexcept
    : container_(container), events_(events)
{}

ConnectionPoint::~ConnectionPoint() = default;

HRESULT ConnectionPoint::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint)) return E_NOINTERFACE;
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

ULONG ConnectionPoint::AddRef()
{
    return container_.AddRef();
}

ULONG ConnectionPoint::Release()
{
    return container_.Release();
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (!iid) return E_POINTER;
    *iid = events_;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (!container) return E_POINTER;
    *container = &container_;
    container_.AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    ComPtr<IDispatch> dispatch;
    // Sinks made from the type library answer the event interface; a script host's
    // generic sink may answer only IDispatch, which is all a dispinterface needs.
    if (FAILED(sink->QueryInterface(events_, dispatch.put_void())) &&
        FAILED(sink->QueryInterface(IID_IDispatch, dispatch.put_void())))
        return CONNECT_E_CANNOTCONNECT;
    try {
        sinks_.push_back({nextCookie_, std::move(dispatch)});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    *cookie = nextCookie_++;
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie)
{
    auto found =
        std::find_if(sinks_.begin(), sinks_.end(), [&](const Sink& sink) { return sink.cookie == cookie; });
    if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
    // The sink may be released only after it has left the list: its release may call back.
    ComPtr<IDispatch> leaving = std::move(found->dispatch);
    sinks_.erase(found);
    return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** connections)
{
    if (!connections) return E_POINTER;
    *connections = nullptr;
    try {
        auto entries = std::make_shared<std::vector<Connection>>();
        entries->reserve(sinks_.size());
        for (const Sink& sink : sinks_)
            entries->push_back({ComPtr<IUnknown>(sink.dispatch.get()), sink.cookie});
        *connections = MakeObject<ConnectionEnumerator>(std::move(entries)).release();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

void ConnectionPoint::Raise(DISPID member, std::initializer_list<VARIANT> arguments) noexcept
{
    // A handler may drop the last reference to the source: keep it until all sinks are called.
    ComPtr<IConnectionPointContainer> keepAlive(&container_);
    // Without the memory for the copies the event is not raised at all.
    try {
        std::vector<Sink> sinks(sinks_);
        // DISPPARAMS holds the arguments last first; sinks must not change them.
        std::vector<VARIANT> reversed(arguments.begin(), arguments.end());
        std::reverse(reversed.begin(), reversed.end());
        std::vector<VARIANT> values;
        values.reserve(reversed.size());
        for (const Sink& sink : sinks) {
            bool stillConnected = std::any_of(sinks_.begin(), sinks_.end(), [&](const Sink& current) {
                return current.cookie == sink.cookie;
            });
            if (!stillConnected) continue;
            values.assign(reversed.begin(), reversed.end());
            DISPPARAMS params{values.empty() ? nullptr : values.data(), nullptr,
                              static_cast<UINT>(values.size()), 0};
            EXCEPINFO exception{};
            UINT argumentError = 0;
            HRESULT hr = sink.dispatch->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                               &params, nullptr, &exception, &argumentError);
            if (hr == DISP_E_EXCEPTION) {
                ::SysFreeString(exception.bstrSource);
                ::SysFreeString(exception.bstrDescription);
                ::SysFreeString(exception.bstrHelpFile);
            }
        }
    } catch (const std::bad_alloc&) {
    }
}

HRESULT EnumerateConnectionPoints(std::initializer_list<IConnectionPoint*> all,
                                  IEnumConnectionPoints** points) noexcept
{
    if (!points) return E_POINTER;
    *points = nullptr;
    try {
        auto entries = std::make_shared<std::vector<ComPtr<IConnectionPoint>>>();
        for (IConnectionPoint* point : all)
            entries->emplace_back(point);
        *points = MakeObject<PointEnumerator>(std::move(entries)).release();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ClassTypeInfo(REFCLSID clsid, ITypeInfo** info) noexcept
{
    if (!info) return E_POINTER;
    *info = nullptr;
    ComPtr<ITypeLib> library;
    HRESULT hr = GetTypeLibrary(library.put());
    if (FAILED(hr)) return hr;
    return library->GetTypeInfoOfGuid(clsid, info);
}

} // namespace verrick
