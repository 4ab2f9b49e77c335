#include "verrick/services/tlvAlone.h"

#include <algorithm>
#include <vector>

#include "support/com.h"
#include "support/es.h"
#include "support/runtime_error.h"
#include "support/values.h"

namespace verrick {
namespace {

constexpr LONG kNormal = amNormal;
constexpr LONG kViaMessage = amViaMessage;
constexpr LONG kTrayHook = amNormalWithMinimizeToTrayHook;

bool IsMethod(LONG method)
{
    return method == kNormal || method == kViaMessage || method == kTrayHook;
}

VARIANT_BOOL Truth(bool value)
{
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

template <typename T> T& Out(T* result)
{
    if (!result) support::Raise(support::err::InvalidProcedureCall);
    return *result;
}

// The type library fixes a Long for windows: window handles keep their value
// in 32 bits, so LongToHandle widens it back with its sign.
HWND WindowOf(LONG handle)
{
    return static_cast<HWND>(LongToHandle(handle));
}

std::wstring MarkerName(std::wstring_view appGuid)
{
    return L"PrevInstance_" + std::wstring(appGuid) + L"_Marker";
}

// The name of the calling thread's desktop; empty when it cannot be read.
std::wstring DesktopName()
{
    HDESK desktop = ::GetThreadDesktop(::GetCurrentThreadId()); // not ours to close
    if (!desktop) return {};
    std::vector<wchar_t> name(100);
    DWORD needed = 0;
    if (!::GetUserObjectInformationW(desktop, UOI_NAME, name.data(),
                                     static_cast<DWORD>(name.size() * sizeof(wchar_t)), &needed)) {
        if (needed <= name.size() * sizeof(wchar_t)) return {};
        name.resize(needed / sizeof(wchar_t) + 1);
        if (!::GetUserObjectInformationW(desktop, UOI_NAME, name.data(),
                                         static_cast<DWORD>(name.size() * sizeof(wchar_t)), &needed))
            return {};
    }
    name.back() = L'\0';
    return name.data();
}

// The account as a part of an object's name, where a backslash would be taken
// for a namespace: "DOMAIN/name" (neither part can hold a slash).
std::wstring UserInObjectName()
{
    std::wstring user = support::esGetFullUserName();
    std::replace(user.begin(), user.end(), L'\\', L'/');
    return user;
}

// How long a first copy may take to answer the activation message.
constexpr UINT kActivationTimeoutMs = 5000;

// The search of ActivatePrevInstanceWindowEx: per thread, as the enumeration
// callback has no other way to reach it.
struct Search {
    std::wstring propertyName;
    HWND foundWindow = nullptr;
    LONG foundMethod = 0;
};
thread_local Search t_search;

BOOL CALLBACK FindMarkedWindow(HWND window, LPARAM)
{
    t_search.foundMethod =
        static_cast<LONG>(reinterpret_cast<LONG_PTR>(::GetPropW(window, t_search.propertyName.c_str())));
    if (t_search.foundMethod == 0) return TRUE;
    t_search.foundWindow = window;
    return FALSE;
}

} // namespace

tlvAlone::tlvAlone() : activationMessage_(::RegisterWindowMessageW(ActivationMessageName)) {}

HRESULT tlvAlone::CheckAlone(support::UniqueKernelHandle& mutex, BSTR AppGUID, std::wstring_view scope,
                             VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        Out(Result) = VARIANT_FALSE;
        const std::wstring_view appGuid = support::ObjectName(AppGUID);
        // Our own earlier mutex must not count as another copy.
        mutex.reset();
        std::wstring name(appGuid);
        if (scope == L"desktop") name += L"_Desktop_" + DesktopName();
        if (scope == L"user") name += L"_User_" + UserInObjectName();
        ::SetLastError(ERROR_SUCCESS);
        mutex.reset(::CreateMutexW(nullptr, FALSE, name.c_str()));
        const DWORD error = ::GetLastError();
        // An existing mutex of another user answers "access denied": not alone either.
        *Result = Truth(error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED);
        appGuid_.assign(appGuid);
    });
}

HRESULT tlvAlone::IsAlone(BSTR AppGUID, VARIANT_BOOL* Result)
{
    return CheckAlone(appMutex_, AppGUID, L"", Result);
}

HRESULT tlvAlone::IsAloneOnDesktop(BSTR AppGUID, VARIANT_BOOL* Result)
{
    return CheckAlone(desktopMutex_, AppGUID, L"desktop", Result);
}

HRESULT tlvAlone::IsAloneAtUser(BSTR AppGUID, VARIANT_BOOL* Result)
{
    return CheckAlone(userMutex_, AppGUID, L"user", Result);
}

HRESULT tlvAlone::get_AppGUID(BSTR* Result)
{
    return GuardMethod([&] { Out(Result) = support::Bstr(appGuid_).release(); });
}

HRESULT tlvAlone::get_WM_ACTIVATE_PREV_INSTANCE(LONG* Result)
{
    return GuardMethod([&] { Out(Result) = static_cast<LONG>(activationMessage_); });
}

bool tlvAlone::Mark(HWND window, LONG method, std::wstring_view appGuid) const
{
    if (appGuid.empty() || !IsMethod(method) || !::IsWindow(window)) return false;
    return ::SetPropW(window, MarkerName(appGuid).c_str(),
                      reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(method)));
}

bool tlvAlone::UnMark(HWND window, std::wstring_view appGuid) const
{
    if (appGuid.empty() || !::IsWindow(window)) return false;
    return ::RemovePropW(window, MarkerName(appGuid).c_str()) != nullptr;
}

bool tlvAlone::Activate(std::wstring_view appGuid) const
{
    t_search = Search{MarkerName(appGuid)};
    ::EnumWindows(&FindMarkedWindow, 0);
    const HWND window = t_search.foundWindow;
    const LONG method = t_search.foundMethod;
    if (!window || !IsMethod(method)) return false;
    switch (method) {
    case kNormal:
        if (!::IsWindowVisible(window)) return false;
        if (::IsIconic(window)) ::OpenIcon(window);
        ::SetForegroundWindow(window);
        return true;
    case kViaMessage: {
        if (activationMessage_ == 0) return false;
        // A first copy that is hung, or does not answer in time, is not activated: this copy goes on.
        DWORD_PTR answer = 0;
        if (!::SendMessageTimeoutW(window, activationMessage_, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                   kActivationTimeoutMs, &answer))
            return false;
        return answer != 0;
    }
    default: // minimised to the notification area: hidden and iconic
        if (!::IsWindowVisible(window) && ::IsIconic(window)) ::OpenIcon(window);
        ::SetForegroundWindow(window);
        return true;
    }
}

HRESULT tlvAlone::MarkPrevInstanceWindow(LONG hWnd, ActivationMethodConst ActivationMethod,
                                         VARIANT_BOOL* Result)
{
    return GuardMethod([&] { Out(Result) = Truth(Mark(WindowOf(hWnd), ActivationMethod, appGuid_)); });
}

HRESULT tlvAlone::UnMarkPrevInstanceWindow(LONG hWnd, VARIANT_BOOL* Result)
{
    return GuardMethod([&] { Out(Result) = Truth(UnMark(WindowOf(hWnd), appGuid_)); });
}

HRESULT tlvAlone::MarkPrevInstanceWindowEx(LONG hWnd, ActivationMethodConst ActivationMethod, BSTR AppGUID,
                                           VARIANT_BOOL* Result)
{
    return GuardMethod(
        [&] { Out(Result) = Truth(Mark(WindowOf(hWnd), ActivationMethod, support::ObjectName(AppGUID))); });
}

HRESULT tlvAlone::UnMarkPrevInstanceWindowEx(LONG hWnd, BSTR AppGUID, VARIANT_BOOL* Result)
{
    return GuardMethod([&] { Out(Result) = Truth(UnMark(WindowOf(hWnd), support::ObjectName(AppGUID))); });
}

HRESULT tlvAlone::ActivatePrevInstanceWindow(VARIANT_BOOL* Result)
{
    return GuardMethod([&] { Out(Result) = Truth(Activate(appGuid_)); });
}

HRESULT tlvAlone::ActivatePrevInstanceWindowEx(BSTR AppGUID, VARIANT_BOOL* Result)
{
    return GuardMethod([&] { Out(Result) = Truth(Activate(support::ObjectName(AppGUID))); });
}

} // namespace verrick
