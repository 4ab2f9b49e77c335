#pragma once
// Monitor: a snapshot of one monitor's bounds, work area, flags and device
// name, kept as the platform's 72-byte ANSI monitor record. Handed out by
// tlvMultiMonitor; clients cannot create one themselves.

#include <windows.h>

#include <cstddef>
#include <string_view>

#include "Velmora.h"
#include "verrick/com/com_object.h"

namespace verrick {

// The platform's ANSI monitor record (MONITORINFOEXA), byte for byte: the
// same 72 bytes in both widths.
struct MonitorRecord {
    DWORD size;
    RECT monitor;
    RECT work;
    DWORD flags;
    char deviceName[32];
};
static_assert(sizeof(MonitorRecord) == 72 && sizeof(MONITORINFOEXA) == 72);
static_assert(offsetof(MonitorRecord, monitor) == 4 && offsetof(MonitorRecord, work) == 20);
static_assert(offsetof(MonitorRecord, flags) == 36 && offsetof(MonitorRecord, deviceName) == 40);
static_assert(offsetof(MONITORINFO, rcMonitor) == 4 && offsetof(MONITORINFO, rcWork) == 20 &&
              offsetof(MONITORINFO, dwFlags) == 36 && sizeof(MONITORINFO) == 40);

class Monitor final : public DispatchObject<Monitor, _Monitor> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.Monitor";

    // Copies the record, then normalises both rectangles.
    void Store(const MonitorRecord& record) noexcept;
    MonitorRecord Record() const noexcept { return record_; }

    HRESULT STDMETHODCALLTYPE get_Primary(VARIANT_BOOL* Result) override;
    HRESULT STDMETHODCALLTYPE get_Flags(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE get_DeviceName(BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE get_MonitorLeft(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE get_MonitorTop(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE get_MonitorWidth(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE get_MonitorHeight(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE get_MonitorRight(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE get_MonitorBottom(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE get_WorkAreaLeft(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE get_WorkAreaTop(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE get_WorkAreaWidth(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE get_WorkAreaHeight(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE get_WorkAreaRight(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE get_WorkAreaBottom(LONG* Result) override;

private:
    template <typename Read> HRESULT Get(LONG* result, Read&& read);

    MonitorRecord record_{};
};

} // namespace verrick
