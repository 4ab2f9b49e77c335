#include "support/as.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <string>

#include <mmsystem.h>

#include "support/runtime_error.h"
#include "support/system_library.h"
#include "support/text.h"

namespace support {
namespace {

// Text -------------------------------------------------------------------------

template <typename Predicate>
std::wstring Trim(std::wstring_view text, bool left, bool right, Predicate isBlank)
{
    size_t first = 0;
    size_t last = text.size();
    while (left && first < last && isBlank(text[first]))
        ++first;
    while (right && last > first && isBlank(text[last - 1]))
        --last;
    return std::wstring(text.substr(first, last - first));
}

size_t CheckedCount(long count)
{
    if (count < 0) Raise(err::InvalidProcedureCall);
    return static_cast<size_t>(count);
}

// Numbers ----------------------------------------------------------------------

constexpr const wchar_t* kUnits[] = {L"B", L"KB", L"MB", L"GB", L"TB", L"PB"};
constexpr int kLastUnit = 5;

void CheckByteCount(double bytes)
{
    if (!std::isfinite(bytes) || bytes < 0) Raise(err::InvalidProcedureCall);
}

std::wstring DecimalSeparator()
{
    wchar_t separator[8] = {};
    if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) <= 1) return L".";
    return separator;
}

// The value rounded half away from zero to 0, 1 or 2 decimals.
double RoundTo(double value, int decimals)
{
    const double scale = decimals == 2 ? 100.0 : decimals == 1 ? 10.0 : 1.0;
    return std::round(value * scale) / scale;
}

std::wstring Fixed(double value, int decimals)
{
    const long long scale = decimals == 2 ? 100 : decimals == 1 ? 10 : 1;
    const double scaled = std::round(value * static_cast<double>(scale));
    if (scaled >= 9.0e18) {
        // Only thousands of petabytes and more get here: whole numbers anyway.
        wchar_t digits[400];
        std::swprintf(digits, 400, L"%.0f", value);
        return digits;
    }
    const long long units = static_cast<long long>(scaled);
    std::wstring result = std::to_wstring(units / scale);
    if (decimals > 0) {
        std::wstring fraction = std::to_wstring(units % scale);
        result += DecimalSeparator();
        result.append(static_cast<size_t>(decimals) - fraction.size(), L'0');
        result += fraction;
    }
    return result;
}

// decimalsFor(value) picks the decimals of a value of a unit above bytes. The
// unit goes up while the rounded figure would reach 1024.
template <typename DecimalsFor> std::wstring FormatSize(double bytes, DecimalsFor decimalsFor)
{
    CheckByteCount(bytes);
    int unit = 0;
    double value = bytes;
    while (unit < kLastUnit && value >= 1024.0) {
        value /= 1024.0;
        ++unit;
    }
    for (;;) {
        const int decimals = unit == 0 ? 0 : decimalsFor(value);
        if (unit < kLastUnit && RoundTo(value, decimals) >= 1024.0) {
            value /= 1024.0;
            ++unit;
            continue;
        }
        return Fixed(value, decimals) + L' ' + kUnits[unit];
    }
}

// Icons ----------------------------------------------------------------------

// The name as LoadImageW takes it: "#123" is the number 123.
class ResourceName {
public:
    explicit ResourceName(std::wstring_view name) : text_(name)
    {
        if (name.empty()) Raise(err::InvalidProcedureCall);
        if (name.size() > 1 && name.size() <= 6 && name[0] == L'#') {
            unsigned long number = 0;
            for (wchar_t c : name.substr(1)) {
                if (c < L'0' || c > L'9') return;
                number = number * 10 + static_cast<unsigned long>(c - L'0');
            }
            if (number >= 1 && number <= 0xFFFF) id_ = static_cast<WORD>(number);
        }
    }
    const wchar_t* get() const noexcept { return id_ ? MAKEINTRESOURCEW(id_) : text_.c_str(); }

private:
    std::wstring text_;
    WORD id_ = 0;
};

HICON LoadSharedIcon(const ResourceName& name, int width, int height)
{
    HANDLE icon = ::LoadImageW(::GetModuleHandleW(nullptr), name.get(), IMAGE_ICON, width, height, LR_SHARED);
    if (!icon) {
        const DWORD code = ::GetLastError();
        RaiseWin32(code ? code : ERROR_RESOURCE_NAME_NOT_FOUND, L"LoadImageW");
    }
    return static_cast<HICON>(icon);
}

} // namespace

// Text -------------------------------------------------------------------------

std::wstring asTrimEx(std::wstring_view text)
{
    return Trim(text, true, true,
                [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\0'; });
}

std::wstring asTrimEx2(std::wstring_view text, bool left, bool right, bool spaces, bool tabs, bool lineBreaks,
                       bool nuls, bool noBreakSpaces, bool verticalTabs, bool formFeeds, bool zeroWidths)
{
    return Trim(text, left, right, [&](wchar_t c) {
        switch (c) {
        case L' ': return spaces;
        case L'\t': return tabs;
        case L'\r':
        case L'\n': return lineBreaks;
        case L'\0': return nuls;
        case 0x00A0:
        case 0x202F: return noBreakSpaces;
        case L'\v': return verticalTabs;
        case L'\f': return formFeeds;
        case 0x200B:
        case 0x2060:
        case 0xFEFF: return zeroWidths;
        default: return false;
        }
    });
}

std::wstring asCutLeft(std::wstring_view text, long count)
{
    const size_t cut = CheckedCount(count);
    return cut >= text.size() ? std::wstring() : std::wstring(text.substr(cut));
}

std::wstring asCutRight(std::wstring_view text, long count)
{
    const size_t cut = CheckedCount(count);
    return cut >= text.size() ? std::wstring() : std::wstring(text.substr(0, text.size() - cut));
}

std::wstring asTrimCRLF(std::wstring_view text)
{
    return Trim(text, true, true, [](wchar_t c) { return c == L'\r' || c == L'\n'; });
}

// Buffers ----------------------------------------------------------------------

std::wstring asGetStringFromPointerA(std::string_view buffer)
{
    return FromAnsi(buffer.substr(0, buffer.find('\0')));
}

std::wstring asGetStringFromPointerW(std::wstring_view buffer)
{
    return std::wstring(buffer.substr(0, buffer.find(L'\0')));
}

std::wstring asGetStringFrom2NullBufferA(std::string_view buffer)
{
    std::wstring items;
    size_t start = 0;
    while (start < buffer.size()) {
        const size_t end = std::min(buffer.find('\0', start), buffer.size());
        if (end == start) break; // the second NUL of the pair
        if (start > 0) items += L'\0';
        items += FromAnsi(buffer.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

// Numbers ----------------------------------------------------------------------

std::wstring asFormatByteSize(double bytes)
{
    // Three significant digits: 1.23, 12.3, 123; 1000 to 1023 stay whole numbers.
    return FormatSize(bytes, [](double value) {
        if (RoundTo(value, 2) < 10.0) return 2;
        if (RoundTo(value, 1) < 100.0) return 1;
        return 0;
    });
}

std::wstring asFormatByteSizeEx(double bytes)
{
    return FormatSize(bytes, [](double) { return 2; });
}

std::wstring asFormatLong(long value)
{
    return std::to_wstring(value);
}

std::wstring asFormatInt64(double value)
{
    if (std::isnan(value)) return L"NaN";
    if (std::isinf(value)) return value < 0 ? L"-Infinity" : L"Infinity";
    const double whole = std::round(value);
    if (std::fabs(whole) < 9.0e18) return std::to_wstring(static_cast<long long>(whole));
    wchar_t text[400];
    std::swprintf(text, std::size(text), L"%.0f", whole);
    return text;
}

std::wstring asFormatDouble(double value)
{
    if (std::isnan(value) || std::isinf(value)) return asFormatInt64(value);
    wchar_t text[400];
    std::swprintf(text, std::size(text), L"%.6f", value);
    std::wstring result = text;
    // No trailing zeros, and no separator without digits after it.
    while (result.back() == L'0')
        result.pop_back();
    if (result.back() == L'.') result.pop_back();
    if (result == L"-0") result = L"0";
    const size_t point = result.find(L'.');
    if (point != std::wstring::npos) result.replace(point, 1, DecimalSeparator());
    return result;
}

double asLongToUnsignedLong(long value)
{
    return static_cast<double>(static_cast<unsigned long>(value));
}

// Icons ------------------------------------------------------------------------

void asSetWindowResIconAll(HWND window, std::wstring_view resourceName)
{
    if (!::IsWindow(window)) RaiseWin32(ERROR_INVALID_WINDOW_HANDLE, L"asSetWindowResIconAll");
    const ResourceName name(resourceName);
    HICON bigIcon = LoadSharedIcon(name, ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    HICON smallIcon = LoadSharedIcon(name, ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON));
    ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

UniqueIcon asLoadResIconSmallEx(std::wstring_view resourceName, HMODULE module)
{
    const ResourceName name(resourceName);
    // Not shared: the icon is built from a copy of the resource and outlives the module.
    return UniqueIcon(static_cast<HICON>(::LoadImageW(module ? module : ::GetModuleHandleW(nullptr),
                                                      name.get(), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                      ::GetSystemMetrics(SM_CYSMICON), 0)));
}

UniqueIcon asLoadResIconEx(std::wstring_view resourceName, HMODULE module)
{
    const ResourceName name(resourceName);
    return UniqueIcon(
        static_cast<HICON>(::LoadImageW(module ? module : ::GetModuleHandleW(nullptr), name.get(), IMAGE_ICON,
                                        ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON), 0)));
}

namespace {

UniqueIcon CopyWindowIcon(HWND window, WPARAM kind, int classIndex, const wchar_t* caller)
{
    if (!::IsWindow(window)) RaiseWin32(ERROR_INVALID_WINDOW_HANDLE, caller);
    DWORD_PTR icon = 0;
    ::SendMessageTimeoutW(window, WM_GETICON, kind, 0, SMTO_ABORTIFHUNG, 1000, &icon);
    if (!icon) icon = static_cast<DWORD_PTR>(::GetClassLongPtrW(window, classIndex));
    if (!icon) return UniqueIcon();
    return UniqueIcon(::CopyIcon(reinterpret_cast<HICON>(icon)));
}

} // namespace

UniqueIcon asGetWindowIcon(HWND window)
{
    return CopyWindowIcon(window, ICON_BIG, GCLP_HICON, L"asGetWindowIcon");
}

UniqueIcon asGetWindowIconSmall(HWND window)
{
    return CopyWindowIcon(window, ICON_SMALL, GCLP_HICONSM, L"asGetWindowIconSmall");
}

void asSetWindowIconAll(HWND window, HICON bigIcon, HICON smallIcon)
{
    if (!::IsWindow(window)) RaiseWin32(ERROR_INVALID_WINDOW_HANDLE, L"asSetWindowIconAll");
    ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
}

// Versions -----------------------------------------------------------------------

std::wstring asFormatVersion(long major, long minor, long revision)
{
    wchar_t text[48];
    ::swprintf(text, 48, L"%ld.%02ld.%04ld", major, minor, revision);
    return text;
}

// Output -----------------------------------------------------------------------

void asOutputDebugString(std::wstring_view text)
{
    std::wstring line(text);
    line += L"\r\n";
    ::OutputDebugStringW(line.c_str());
}

void asDebugPrint(std::wstring_view text)
{
    asOutputDebugString(text);
}

void asPaintDesktop2(HWND window, HDC dc)
{
    RECT area{};
    if (!::IsWindow(window) || !::GetClientRect(window, &area))
        RaiseWin32(ERROR_INVALID_WINDOW_HANDLE, L"asPaintDesktop2");
    // A system colour brush belongs to the system: nothing to free.
    ::FillRect(dc, &area, ::GetSysColorBrush(COLOR_DESKTOP));
}

// Error numbers and texts ------------------------------------------------------

std::wstring asGetErrorNumber(long number)
{
    std::wstring text = std::to_wstring(number);
    if (number < 0 || number > 0xFFFF) {
        wchar_t hex[16];
        std::swprintf(hex, 16, L" (0x%08lX)", static_cast<unsigned long>(number));
        text += hex;
    }
    return text;
}

std::wstring asGetAPIErrorDescription(long code)
{
    return FormattedMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(code));
}

std::wstring asGetWinMMErrorDescription(long code)
{
    // Bound, not imported: winmm is no known DLL, so an import would be looked for beside the program first.
    static const auto mciText =
        SystemFunction<decltype(&::mciGetErrorStringW)>(L"winmm.dll", "mciGetErrorStringW");
    static const auto waveText =
        SystemFunction<decltype(&::waveOutGetErrorTextW)>(L"winmm.dll", "waveOutGetErrorTextW");
    wchar_t text[MAXERRORLENGTH * 2] = {};
    constexpr long kMciErrorBase = 256;
    if (code >= kMciErrorBase) {
        if (!mciText || !mciText(static_cast<MCIERROR>(code), text, MAXERRORLENGTH * 2)) return {};
    } else if (!waveText ||
               waveText(static_cast<MMRESULT>(code), text, MAXERRORLENGTH * 2) != MMSYSERR_NOERROR) {
        return {};
    }
    return text;
}

std::wstring asGetModuleErrorDescription(HMODULE module, long code)
{
    if (!module) return {};
    return FormattedMessage(FORMAT_MESSAGE_FROM_HMODULE, module, static_cast<DWORD>(code));
}

} // namespace support
