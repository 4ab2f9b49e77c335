#include "support/runtime_error.h"

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
    case err::ControlArrayElementMissing: return L"Control array element doesn't exist";
    case err::ObjectAlreadyLoaded: return L"Object already loaded";
    case err::CannotUnloadDesignTimeControl: return L"Can't load or unload this object";
    case err::InvalidPropertyValue: return L"Invalid property value";
    case err::ObjectRequired: return L"Object required";
    case err::MethodNotSupported: return L"Object doesn't support this property or method";
    case err::WrongNumberOfArguments: return L"Wrong number of arguments or invalid property assignment";
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

std::wstring DescribeError(std::exception_ptr error)
{
    try {
        if (error) std::rethrow_exception(error);
    } catch (const RuntimeError& e) {
        return L"Run-time error '" + std::to_wstring(e.Number()) + L"':\n\n" + e.Description();
    } catch (const std::bad_alloc&) {
        return L"Run-time error '7':\n\nOut of memory";
    } catch (const std::exception& e) {
        return L"Run-time error '51':\n\nInternal error: " + FromUtf8(e.what());
    } catch (...) {
    }
    return L"Run-time error '51':\n\nInternal error";
}

void RaiseWin32(DWORD code, std::wstring_view function)
{
    wchar_t* message = nullptr;
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                        FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::wstring text(message ? std::wstring_view(message, length) : std::wstring_view());
    if (message) ::LocalFree(message);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) text = L"System error " + std::to_wstring(code);
    Raise(static_cast<long>(HRESULT_FROM_WIN32(code)), std::move(text), std::wstring(function));
}

void RaiseLastWin32(std::wstring_view function)
{
    RaiseWin32(::GetLastError(), function);
}

} // namespace support
