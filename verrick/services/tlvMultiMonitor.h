#pragma once
// tlvMultiMonitor: lists the monitors and finds the monitor of a window, a
// point or a rectangle. Where the platform has no monitor functions (Windows
// 95, NT 3.51 and NT 4.0) every answer is one synthetic monitor, "DISPLAY",
// made of the desktop window and the system work area.

#include <windows.h>

#include <string_view>

#include "Velmora.h"
#include "support/com.h"
#include "verrick/com/com_object.h"

namespace verrick {

class tlvMultiMonitor final : public DispatchObject<tlvMultiMonitor, _tlvMultiMonitor> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.tlvMultiMonitor";

    HRESULT STDMETHODCALLTYPE GetAllMonitors(_Collection** Result) override;
    HRESULT STDMETHODCALLTYPE MonitorFromWindow(LONG hWnd, MonitorFromFlags Flags,
                                                _Monitor** Result) override;
    HRESULT STDMETHODCALLTYPE MonitorFromPoint(LONG X, LONG Y, MonitorFromFlags Flags,
                                               _Monitor** Result) override;
    HRESULT STDMETHODCALLTYPE MonitorFromRect(LONG Left, LONG Top, LONG Right, LONG Bottom,
                                              MonitorFromFlags Flags, _Monitor** Result) override;
    HRESULT STDMETHODCALLTYPE MonitorFromNewRect(LONG Left, LONG Top, LONG Width, LONG Height,
                                                 MonitorFromFlags Flags, _Monitor** Result) override;

private:
    template <typename Locate> HRESULT Lookup(_Monitor** result, Locate&& find);
};

} // namespace verrick
