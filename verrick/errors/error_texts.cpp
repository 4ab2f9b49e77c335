#include "verrick/errors/error_texts.h"

#include <cmath>

#include "support/as.h"
#include "support/handles.h"
#include "support/system_library.h"

namespace verrick::errors {
namespace {

constexpr wchar_t kLineBreak[] = L"\r\n";

std::wstring BlanksForLineBreaks(std::wstring text)
{
    for (size_t at = 0; (at = text.find(kLineBreak, at)) != std::wstring::npos;)
        text.replace(at, 2, L" ");
    return text;
}

// The shared scheme of Win32 and WinMM texts.
struct CodeSource {
    const wchar_t* prefix;
    const wchar_t* unknown;
    std::wstring (*describe)(long code);
};

const CodeSource kApi{L"Win32 API error", L"Unknown Win32 API error.", support::asGetAPIErrorDescription};
const CodeSource kWinMM{L"WinMM.DLL error", L"Unknown WinMM.DLL error.", support::asGetWinMMErrorDescription};

std::wstring LongCodeText(const CodeSource& source, long code)
{
    if (code == 0) return source.unknown;
    const std::wstring description = BlanksForLineBreaks(source.describe(code));
    std::wstring text = std::wstring(source.prefix) + L": " + support::asGetErrorNumber(code) + kLineBreak;
    if (!description.empty()) text += L"Description: " + description;
    return support::asTrimCRLF(text);
}

std::wstring ShortCodeText(const CodeSource& source, long code)
{
    if (code == 0) return source.unknown;
    const std::wstring description = BlanksForLineBreaks(source.describe(code));
    return std::wstring(source.prefix) + L" " + support::asGetErrorNumber(code) + L": " +
           (description.empty() ? std::wstring(source.unknown) : description);
}

bool IsBlankName(const std::wstring& name)
{
    return support::asTrimEx2(name, true, true, true, true, true, false, false, false, false, false).empty();
}

// The module's description of a code, from its message table only: its code
// never runs for the sake of a message.
std::wstring ModuleDescription(long code, const std::wstring& moduleName)
{
    const support::UniqueModule module = support::LoadResources(moduleName.c_str());
    if (!module) return {};
    return BlanksForLineBreaks(support::asGetModuleErrorDescription(module.get(), code));
}

// The rows of the client's result codes 0 to 14: English, then Russian.
struct ResultText {
    const wchar_t* english;
    const wchar_t* russian;
};

constexpr ResultText kHttpResults[15] = {
    {L"Operation completed successfully.", L"Операция завершена успешно."},
    {L"InternetOpen() failed.", L"Ошибка функции InternetOpen()."},
    {L"InternetConnect() failed.", L"Ошибка функции InternetConnect()."},
    {L"InternetOpenRequest() failed.", L"Ошибка функции InternetOpenRequest()."},
    {L"InternetSendRequest() failed.", L"Ошибка функции InternetSendRequest()."},
    {L"InternetSendRequestEx() failed.", L"Ошибка функции InternetSendRequestEx()."},
    {L"InternetWriteFile() failed.", L"Ошибка функции InternetWriteFile()."},
    {L"InternetEndRequest() failed.", L"Ошибка функции InternetEndRequest()."},
    {L"InternetReadFile() failed.", L"Ошибка функции InternetReadFile()."},
    {L"Operation canceled.", L"Операция была отменена."},
    {L"InternetSetOption() failed. Can't set proxy server user name.",
     L"Ошибка функции InternetSetOption(). Не удалось установить имя пользователя прокси-сервера."},
    {L"InternetSetOption() failed. Can't set proxy server password.",
     L"Ошибка функции InternetSetOption(). Не удалось установить пароль прокси-сервера."},
    {L"InternetSetOption() failed. Can't set server user name.",
     L"Ошибка функции InternetSetOption(). Не удалось установить имя пользователя сервера."},
    {L"InternetSetOption() failed. Can't set server password.",
     L"Ошибка функции InternetSetOption(). Не удалось установить пароль сервера."},
    {L"Invalid compressed data were received from server.", L"Сервер вернул неверные сжатые данные."},
};

constexpr ResultText kFtpResults[15] = {
    {L"Operation completed successfully.", L"Операция завершена успешно."},
    {L"InternetOpen() failed.", L"Ошибка функции InternetOpen()."},
    {L"InternetConnect() failed.", L"Ошибка функции InternetConnect()."},
    {L"Connection was already established.", L"Соединение уже установлено."},
    {L"Connection was not established yet.", L"Соединение ещё не установлено."},
    {L"FtpGetCurrentDirectory() failed.", L"Ошибка функции FtpGetCurrentDirectory()."},
    {L"FtpSetCurrentDirectory() failed.", L"Ошибка функции FtpSetCurrentDirectory()."},
    {L"FtpCreateDirectory() failed.", L"Ошибка функции FtpCreateDirectory()."},
    {L"FtpRemoveDirectory() failed.", L"Ошибка функции FtpRemoveDirectory()."},
    {L"FtpFindFirstFile() failed.", L"Ошибка функции FtpFindFirstFile()."},
    {L"InternetFindNextFile() failed.", L"Ошибка функции InternetFindNextFile()."},
    {L"FtpGetFile() failed.", L"Ошибка функции FtpGetFile()."},
    {L"FtpPutFile() failed.", L"Ошибка функции FtpPutFile()."},
    {L"FtpRenameFile() failed.", L"Ошибка функции FtpRenameFile()."},
    {L"FtpDeleteFile() failed.", L"Ошибка функции FtpDeleteFile()."},
};

bool IsNumber(VARTYPE type)
{
    switch (type) {
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_INT:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DECIMAL: return true;
    default: return false;
    }
}

// A number property as a whole number; nothing for a value of another kind or out of range.
std::optional<LONG> WholeNumber(const std::optional<support::Variant>& value)
{
    if (!value || !IsNumber(value->get()->vt)) return std::nullopt;
    support::Variant number;
    if (FAILED(::VariantChangeType(number.get(), const_cast<VARIANT*>(value->get()), 0, VT_R8)))
        return std::nullopt;
    const double d = number.get()->dblVal;
    if (d != std::floor(d) || d < -2147483648.0 || d > 2147483647.0) return std::nullopt;
    return static_cast<LONG>(d);
}

// A number converted as the client runtime does (text that reads as a number counts too).
std::optional<LONG> ConvertedLong(const std::optional<support::Variant>& value)
{
    if (!value) return std::nullopt;
    support::Variant number;
    if (FAILED(::VariantChangeType(number.get(), const_cast<VARIANT*>(value->get()), 0, VT_I4)))
        return std::nullopt;
    return number.get()->lVal;
}

std::wstring TextOf(const std::optional<support::Variant>& value)
{
    if (!value) return {};
    support::Variant text;
    if (FAILED(::VariantChangeType(text.get(), const_cast<VARIANT*>(value->get()), 0, VT_BSTR)) ||
        !text.get()->bstrVal)
        return {};
    return {text.get()->bstrVal, ::SysStringLen(text.get()->bstrVal)};
}

} // namespace

std::wstring ComposeErrorMessage(const ErrorInfo& info)
{
    std::wstring text;
    if (info.Number != 0) text += L"Error number: " + support::asGetErrorNumber(info.Number) + kLineBreak;
    if (!info.Description.empty())
        text += L"Description:  " + BlanksForLineBreaks(info.Description) + kLineBreak + kLineBreak;
    if (!info.Source.empty()) text += L"Source:       " + info.Source + kLineBreak;
    if (!info.HelpFile.empty()) text += L"Help file:    " + info.HelpFile + kLineBreak;
    if (info.HelpContext != 0)
        text += L"Help context: " + support::asGetErrorNumber(info.HelpContext) + kLineBreak;
    text = support::asTrimCRLF(text);
    return text.empty() ? L"Unknown run-time error." : text;
}

std::wstring ComposeShortErrorMessage(const ErrorInfo& info)
{
    if (info.Number == 0) return L"Unknown run-time error.";
    return L"Error " + support::asGetErrorNumber(info.Number) + L": " +
           (info.Description.empty() ? std::wstring(L"Unknown run-time error.")
                                     : BlanksForLineBreaks(info.Description));
}

std::wstring ApiErrorMessage(long code)
{
    return LongCodeText(kApi, code);
}
std::wstring ShortApiErrorMessage(long code)
{
    return ShortCodeText(kApi, code);
}
std::wstring WinMMErrorMessage(long code)
{
    return LongCodeText(kWinMM, code);
}
std::wstring ShortWinMMErrorMessage(long code)
{
    return ShortCodeText(kWinMM, code);
}

std::wstring ModuleErrorMessage(long code, const std::wstring& moduleName)
{
    if (IsBlankName(moduleName)) return L"Unknown module error.";
    if (code == 0) return L"Unknown " + moduleName + L" error.";
    const std::wstring description = ModuleDescription(code, moduleName);
    std::wstring text = moduleName + L" error: " + support::asGetErrorNumber(code) + kLineBreak;
    if (!description.empty()) text += L"Description: " + description;
    return support::asTrimCRLF(text);
}

std::wstring ShortModuleErrorMessage(long code, const std::wstring& moduleName)
{
    if (IsBlankName(moduleName)) return L"Unknown module error.";
    if (code == 0) return L"Unknown " + moduleName + L" error.";
    const std::wstring description = ModuleDescription(code, moduleName);
    return moduleName + L" error " + support::asGetErrorNumber(code) + L": " +
           (description.empty() ? L"Unknown " + moduleName + L" error." : description);
}

std::wstring InternetErrorMessage(InternetClient client, const PropertyReader& read, bool russian)
{
    const ResultText* table = client == InternetClient::HttpRequest ? kHttpResults : kFtpResults;
    std::wstring text;
    if (auto code = WholeNumber(read(L"LastRC")); code && *code >= 0 && *code <= 14)
        text += std::wstring(russian ? table[*code].russian : table[*code].english) + kLineBreak;
    text += kLineBreak;
    if (client == InternetClient::HttpRequest) {
        const auto responseCode = read(L"ResponseCode");
        if (auto number = ConvertedLong(responseCode); number && *number != 0) {
            text += L"HTTP response: " + TextOf(responseCode);
            if (const std::wstring response = TextOf(read(L"ResponseText")); !response.empty())
                text += L", " + response + L".";
            text += kLineBreak;
        }
    }
    if (auto code = ConvertedLong(read(L"ErrorCode")); code && *code != 0) {
        text += L"WinInet error: " + support::asGetErrorNumber(*code);
        if (const std::wstring description = TextOf(read(L"ErrorText")); !description.empty())
            text += std::wstring(kLineBreak) + L"Description:   " + description;
    }
    return support::asTrimCRLF(text);
}

bool UserLanguageIsRussian()
{
    return ::GetUserDefaultLangID() == 0x0419;
}

} // namespace verrick::errors
