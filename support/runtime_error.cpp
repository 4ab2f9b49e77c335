#include "support/runtime_error.h"

#include <oleauto.h>

#include <new>

#include "support/com.h"
#include "support/handles.h"
#include "support/text.h"

namespace support {

std::wstring_view StandardErrorText(long number) noexcept
{
    switch (number) {
    case err::InvalidProcedureCall: return L"Invalid procedure call or argument";
    case err::Overflow: return L"Overflow";
    case err::OutOfMemory: return L"Out of memory";
    case err::SubscriptOutOfRange: return L"Subscript out of range";
    case err::DivisionByZero: return L"Division by zero";
    case err::TypeMismatch: return L"Type mismatch";
    case err::FileNotFound: return L"File not found";
    case err::ObjectVariableNotSet: return L"Object variable or With block variable not set";
    case err::InvalidUseOfNull: return L"Invalid use of Null";
    case err::ObjectUnloaded: return L"Object was unloaded";
    case err::ControlArrayElementMissing: return L"Control array element doesn't exist";
    case err::ObjectAlreadyLoaded: return L"Object already loaded";
    case err::CannotUnloadDesignTimeControl: return L"Can't load or unload this object";
    case err::InvalidPropertyValue: return L"Invalid property value";
    case err::ObjectRequired: return L"Object required";
    case err::MethodNotSupported: return L"Object doesn't support this property or method";
    case err::ArgumentNotOptional: return L"Argument not optional";
    case err::WrongNumberOfArguments: return L"Wrong number of arguments or invalid property assignment";
    case err::KeyAlreadyAssociated:
        return L"This key is already associated with an element of this collection";
    case err::DllEntryPointMissing: return L"Can't find DLL entry point";
    default: return {};
    }
}

RuntimeError::RuntimeError(long number, std::wstring description, std::wstring source)
    : number_(number),
      description_(description.empty() ? std::wstring(StandardErrorText(number)) : std::move(description)),
      source_(std::move(source)),
      what_(ToUtf8(L"Run-time error " + std::to_wstring(number) + L": " + description_))
{}

void Raise(long number, std::wstring description, std::wstring source)
{
    throw RuntimeError(number, std::move(description), std::move(source));
}

namespace {

std::wstring ErrorBoxText(long number, std::wstring_view description)
{
    return L"Run-time error '" + std::to_wstring(number) + L"':\n\n" + std::wstring(description);
}

} // namespace

std::wstring DescribeError(std::exception_ptr error)
{
    try {
        if (error) std::rethrow_exception(error);
    } catch (const RuntimeError& e) {
        return ErrorBoxText(e.Number(), e.Description());
    } catch (const std::bad_alloc&) {
        return ErrorBoxText(err::OutOfMemory, StandardErrorText(err::OutOfMemory));
    } catch (const std::exception& e) {
        return ErrorBoxText(err::InternalError, L"Internal error: " + FromUtf8(e.what()));
    } catch (...) {
    }
    return ErrorBoxText(err::InternalError, L"Internal error");
}

void RaiseWin32(DWORD code, std::wstring_view function)
{
    std::wstring text = FormattedMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
    if (text.empty()) text = L"System error " + std::to_wstring(code);
    Raise(static_cast<long>(HRESULT_FROM_WIN32(code)), std::move(text), std::wstring(function));
}

void RaiseLastWin32(std::wstring_view function)
{
    RaiseWin32(::GetLastError(), function);
}

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
    case DISP_E_UNKNOWNNAME: return err::MethodNotSupported;
    case DISP_E_TYPEMISMATCH: return err::TypeMismatch;
    case DISP_E_OVERFLOW: return err::Overflow;
    case DISP_E_BADINDEX: return err::SubscriptOutOfRange;
    case DISP_E_BADPARAMCOUNT: return err::WrongNumberOfArguments;
    case DISP_E_PARAMNOTOPTIONAL: return err::ArgumentNotOptional;
    case DISP_E_DIVBYZERO: return err::DivisionByZero;
    case E_OUTOFMEMORY: return err::OutOfMemory;
    case E_INVALIDARG: return err::InvalidProcedureCall;
    default: return static_cast<long>(hr);
    }
}

std::wstring DescriptionOfHresult(HRESULT hr)
{
    long number = ErrorNumberOfHresult(hr);
    if (number > 0) {
        std::wstring_view text = StandardErrorText(number);
        if (!text.empty()) return std::wstring(text);
        return L"Application-defined or object-defined error";
    }
    std::wstring text = FormattedMessage(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(hr));
    if (text.empty()) text = L"Automation error";
    return text;
}

std::wstring FormattedMessage(DWORD source, HMODULE module, DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(source | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS, module,
                         code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    UniqueLocal owner(reinterpret_cast<HLOCAL>(buffer));
    if (length == 0 || !buffer) return {};
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

void FillExcepInfo(EXCEPINFO& exception, HRESULT scode, std::wstring_view source,
                   std::wstring_view description) noexcept
{
    exception = EXCEPINFO{};
    exception.scode = scode;
    exception.bstrDescription =
        ::SysAllocStringLen(description.data(), static_cast<UINT>(description.size()));
    exception.bstrSource = ::SysAllocStringLen(source.data(), static_cast<UINT>(source.size()));
}

void ClearExcepInfo(EXCEPINFO& exception) noexcept
{
    Bstr::Attach(exception.bstrSource);
    Bstr::Attach(exception.bstrDescription);
    Bstr::Attach(exception.bstrHelpFile);
    exception = EXCEPINFO{};
}

RuntimeError TakeExcepInfo(EXCEPINFO& exception)
{
    if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
    HRESULT code = exception.scode ? exception.scode : HresultOfErrorNumber(exception.wCode);
    std::wstring description(BstrView(exception.bstrDescription));
    std::wstring source(BstrView(exception.bstrSource));
    ClearExcepInfo(exception);
    if (description.empty()) description = DescriptionOfHresult(code);
    return RuntimeError(ErrorNumberOfHresult(code), std::move(description), std::move(source));
}

HRESULT SetThreadErrorInfo(REFIID iid, std::wstring_view source, std::wstring_view description,
                           HRESULT hr) noexcept
{
    try {
        ComPtr<ICreateErrorInfo> create;
        if (SUCCEEDED(::CreateErrorInfo(create.put()))) {
            Bstr sourceText(source);
            Bstr descriptionText(description);
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

namespace {

// An error caught at a boundary, as its HRESULT and texts.
struct CaughtError {
    HRESULT hr = E_UNEXPECTED;
    std::wstring description;
    std::wstring source;
};

CaughtError ClassifyCaughtError(bool inErrorChannel) noexcept
{
    CaughtError caught;
    try {
        try {
            throw;
        } catch (const RuntimeError& error) {
            caught.hr = HresultOfErrorNumber(error.Number());
            caught.description = error.Description();
            caught.source = error.Source();
        } catch (const std::bad_alloc&) {
            caught.hr = inErrorChannel ? HresultOfErrorNumber(err::OutOfMemory) : E_OUTOFMEMORY;
            caught.description = StandardErrorText(err::OutOfMemory);
        } catch (...) {
            caught.hr = E_UNEXPECTED;
            caught.description = L"Unexpected internal error";
        }
    } catch (...) {
        // No memory left for the texts: the number alone.
        caught.description.clear();
        caught.source.clear();
    }
    return caught;
}

} // namespace

HRESULT ReportCaughtError(REFIID iid, std::wstring_view defaultSource, EXCEPINFO* exception) noexcept
{
    CaughtError caught = ClassifyCaughtError(true);
    std::wstring_view source = caught.source.empty() ? defaultSource : std::wstring_view(caught.source);
    if (!exception) return SetThreadErrorInfo(iid, source, caught.description, caught.hr);
    FillExcepInfo(*exception, caught.hr, source, caught.description);
    return DISP_E_EXCEPTION;
}

HRESULT HresultOfCaughtError() noexcept
{
    return ClassifyCaughtError(false).hr;
}

void RaiseFailedCall(HRESULT hr, std::wstring_view call, EXCEPINFO* exception)
{
    if (exception && hr == DISP_E_EXCEPTION) throw TakeExcepInfo(*exception);
    std::wstring description, source;
    if (!exception) {
        ComPtr<IErrorInfo> info;
        if (::GetErrorInfo(0, info.put()) == S_OK && info) {
            Bstr text;
            if (SUCCEEDED(info->GetDescription(text.put()))) description = text.view();
            Bstr from;
            if (SUCCEEDED(info->GetSource(from.put()))) source = from.view();
        }
        if (source.empty()) source = call;
    }
    const long number = ErrorNumberOfHresult(hr);
    if (description.empty()) {
        description = DescriptionOfHresult(hr);
        if (number == err::MethodNotSupported && !call.empty())
            description += L": '" + std::wstring(call) + L"'";
    }
    throw RuntimeError(number, std::move(description), std::move(source));
}

} // namespace support
