#include "verrick/frame/boundary.h"

#include <oleauto.h>

#include "support/com.h"

namespace verrick {

HRESULT HresultOfErrorNumber(long number) noexcept
{
    if (number < 0) return static_cast<HRESULT>(number);
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number & 0xFFFF);
}

long ErrorNumberOfHresult(HRESULT hr) noexcept
{
    if (HRESULT_FACILITY(hr) == FACILITY_CONTROL) return HRESULT_CODE(hr);
    switch (hr) {
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME: return support::err::MethodNotSupported;
    case DISP_E_TYPEMISMATCH: return support::err::TypeMismatch;
    case DISP_E_OVERFLOW: return support::err::Overflow;
    case DISP_E_BADINDEX: return support::err::SubscriptOutOfRange;
    case DISP_E_BADPARAMCOUNT: return support::err::WrongNumberOfArguments;
    case DISP_E_PARAMNOTOPTIONAL: return 449;
    case DISP_E_DIVBYZERO: return support::err::DivisionByZero;
    case E_OUTOFMEMORY: return support::err::OutOfMemory;
    case E_INVALIDARG: return support::err::InvalidProcedureCall;
    default: return static_cast<long>(hr);
    }
}

std::wstring DescriptionOfHresult(HRESULT hr)
{
    long number = ErrorNumberOfHresult(hr);
    if (number > 0) {
        std::wstring_view text = support::StandardErrorText(number);
        if (number == 449) text = L"Argument not optional";
        if (!text.empty()) return std::wstring(text);
        return L"Application-defined or object-defined error";
    }
    wchar_t* message = nullptr;
    DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::wstring text(message ? std::wstring_view(message, length) : std::wstring_view());
    if (message) ::LocalFree(message);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) text = L"Automation error";
    return text;
}

namespace {

HRESULT SetError(REFIID iid, std::wstring_view source, std::wstring_view description, HRESULT hr) noexcept
{
    try {
        support::ComPtr<ICreateErrorInfo> create;
        if (SUCCEEDED(::CreateErrorInfo(create.put()))) {
            support::Bstr sourceText(source);
            support::Bstr descriptionText(description);
            create->SetGUID(iid);
            create->SetSource(sourceText.get());
            create->SetDescription(descriptionText.get());
            if (auto info = create.as<IErrorInfo>()) ::SetErrorInfo(0, info.get());
        }
    } catch (...) {
        ::SetErrorInfo(0, nullptr);
    }
    return hr;
}

} // namespace

HRESULT ReportError(REFIID iid, std::wstring_view defaultSource, const support::RuntimeError& error) noexcept
{
    std::wstring_view source = error.Source().empty() ? defaultSource : std::wstring_view(error.Source());
    return SetError(iid, source, error.Description(), HresultOfErrorNumber(error.Number()));
}

HRESULT ReportUnexpected(REFIID iid, std::wstring_view defaultSource) noexcept
{
    return SetError(iid, defaultSource, L"Unexpected internal error", E_UNEXPECTED);
}

void RaiseNotImplemented(std::wstring_view member)
{
    support::Raise(static_cast<long>(E_NOTIMPL),
                   std::wstring(member) + L" is not available in this version of the library");
}

} // namespace verrick
