#include "verrick/services/tlvAutorunSupport.h"

#include <string>

#include "support/as.h"
#include "support/com.h"
#include "support/es.h"
#include "support/runtime_error.h"
#include "support/values.h"

namespace verrick {
namespace {

template <typename T> T& Out(T* result)
{
    if (!result) support::Raise(support::err::InvalidProcedureCall);
    return *result;
}

VARIANT_BOOL Truth(bool value)
{
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

HRESULT tlvAutorunSupport::get_ForCurrentUserOnly(VARIANT_BOOL* Result)
{
    return GuardMethod([&] { Out(Result) = Truth(rootKey_ == HKEY_CURRENT_USER); });
}

HRESULT tlvAutorunSupport::put_ForCurrentUserOnly(VARIANT_BOOL Value)
{
    return GuardMethod([&] { rootKey_ = Value != VARIANT_FALSE ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; });
}

HRESULT tlvAutorunSupport::GetAutorunString(BSTR AppGUID, BSTR* Result)
{
    return GuardMethod([&] {
        Out(Result) = nullptr;
        const std::wstring_view id = support::ObjectName(AppGUID);
        const std::wstring text =
            id.empty() ? std::wstring() : support::esReadStringFromRegistry(rootKey_, RunKey, id, L"");
        *Result = support::Bstr(text).release();
    });
}

HRESULT tlvAutorunSupport::IsInAutorun(BSTR AppGUID, VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        Out(Result) = VARIANT_FALSE;
        const std::wstring_view id = support::ObjectName(AppGUID);
        if (id.empty()) return;
        *Result =
            Truth(!support::asTrimEx(support::esReadStringFromRegistry(rootKey_, RunKey, id, L"")).empty());
    });
}

HRESULT tlvAutorunSupport::AddToAutorun(BSTR AppGUID, BSTR CommandLine, VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        Out(Result) = VARIANT_FALSE;
        const std::wstring_view id = support::ObjectName(AppGUID);
        if (id.empty()) return;
        // The program's own path as it is, without quotes, when no command line is given.
        std::wstring line(support::BstrView(CommandLine));
        if (line.empty()) line = support::esGetModuleFileName(nullptr);
        *Result = Truth(support::esWriteStringToRegistry(rootKey_, RunKey, id, line));
    });
}

HRESULT tlvAutorunSupport::DeleteFromAutorun(BSTR AppGUID, VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        Out(Result) = VARIANT_FALSE;
        const std::wstring_view id = support::ObjectName(AppGUID);
        if (id.empty()) return;
        *Result = Truth(support::esDeleteValueFromRegistry(rootKey_, RunKey, id));
    });
}

} // namespace verrick
