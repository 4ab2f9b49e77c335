#pragma once
// The texts tlvErr composes: long (labelled lines) and short (one line) texts
// for run-time errors, Win32, WinMM and module codes, and the texts of an HTTP
// request or FTP client that reports its last operation.

#include <windows.h>
#include <oleauto.h>

#include <functional>
#include <optional>
#include <string>

#include "support/com.h"

namespace verrick::errors {

// A client's run-time error record.
struct ErrorInfo {
    long Number = 0;
    std::wstring Description;
    std::wstring Source;
    std::wstring HelpFile;
    long HelpContext = 0;
};

std::wstring ComposeErrorMessage(const ErrorInfo& info);
std::wstring ComposeShortErrorMessage(const ErrorInfo& info);

// Win32 codes, by the system's texts.
std::wstring ApiErrorMessage(long code);
std::wstring ShortApiErrorMessage(long code);
// WinMM codes, by the multimedia library's texts.
std::wstring WinMMErrorMessage(long code);
std::wstring ShortWinMMErrorMessage(long code);
// Codes of a module's message table; the module is named as the caller passed it.
std::wstring ModuleErrorMessage(long code, const std::wstring& moduleName);
std::wstring ShortModuleErrorMessage(long code, const std::wstring& moduleName);

enum class InternetClient { HttpRequest, FtpClient };
// Reads one property of the client object by name; nothing when the object
// has no such property, fails to give it, or gives something that is no value.
using PropertyReader = std::function<std::optional<support::Variant>(const wchar_t* name)>;
// The text of the client's last operation, in Russian when russian is set.
std::wstring InternetErrorMessage(InternetClient client, const PropertyReader& read, bool russian);
// Whether the user's language is Russian (0x0419 exactly).
bool UserLanguageIsRussian();

} // namespace verrick::errors
