#include "verrick/com/connection_points.h"

#include <olectl.h>

#include <algorithm>
#include <memory>

#include "verrick/com/module.h"

#include "support/enumerator.h"
#include "support/runtime_error.h"

namespace verrick {
namespace {

using support::ComPtr;

template <typename Enum, typename Item, typename Entry>
ComPtr<Enum> MakeEnumerator(std::vector<Entry> entries)
{
    return support::MakeSnapshotEnumerator<Enum, Item, Entry, ComObject<Enum>>(std::move(entries));
}

} // namespace

void RaiseEvent(ConnectionPoint<IDispatch>& point, DISPID member,
                std::initializer_list<VARIANT> arguments) noexcept
{
    try {
        // DISPPARAMS holds the arguments last first; sinks must not change them.
        std::vector<VARIANT> reversed(arguments.begin(), arguments.end());
        std::reverse(reversed.begin(), reversed.end());
        std::vector<VARIANT> values;
        values.reserve(reversed.size());
        point.Notify([&](IDispatch* sink) {
            values.assign(reversed.begin(), reversed.end());
            DISPPARAMS params{values.empty() ? nullptr : values.data(), nullptr,
                              static_cast<UINT>(values.size()), 0};
            EXCEPINFO exception{};
            UINT argumentError = 0;
            HRESULT hr = sink->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                      nullptr, &exception, &argumentError);
            if (hr == DISP_E_EXCEPTION) support::ClearExcepInfo(exception);
        });
    } catch (const std::bad_alloc&) {
        // Without the memory for the copies the event is not raised at all.
    }
}

HRESULT EnumerateConnectionPoints(std::initializer_list<IConnectionPoint*> all,
                                  IEnumConnectionPoints** points) noexcept
{
    if (!points) return E_POINTER;
    *points = nullptr;
    try {
        std::vector<ComPtr<IConnectionPoint>> entries;
        for (IConnectionPoint* point : all)
            entries.emplace_back(point);
        *points = MakeEnumerator<IEnumConnectionPoints, IConnectionPoint*>(std::move(entries)).release();
        return S_OK;
    } catch (...) {
        return support::HresultOfCaughtError();
    }
}

} // namespace verrick
