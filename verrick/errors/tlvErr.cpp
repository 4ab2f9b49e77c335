#include "verrick/errors/tlvErr.h"

#include <optional>
#include <string>

#include "verrick/errors/error_texts.h"
#include "verrick/errors/modError500.h"
#include "verrick/com/late_bound.h"
#include "verrick/com/vb_values.h"

#include "support/es.h"

namespace verrick {
namespace {

using errors::ErrorInfo;
using support::Bstr;
using support::BstrView;
using support::Variant;

constexpr long kHelpButton = MB_HELP;
constexpr long kOk = IDOK;

ErrorInfo ReadErrorObject(IDispatch** errObject)
{
    if (!errObject) support::Raise(support::err::ObjectRequired);
    support::ComPtr<IDispatch> object = late::RequireObject(*errObject);
    ErrorInfo info;
    info.Number = vb::ToLong(*late::Get(object.get(), L"Number").get());
    info.Description = vb::ToText(*late::Get(object.get(), L"Description").get());
    info.Source = vb::ToText(*late::Get(object.get(), L"Source").get());
    info.HelpFile = vb::ToText(*late::Get(object.get(), L"HelpFile").get());
    info.HelpContext = vb::ToLong(*late::Get(object.get(), L"HelpContext").get());
    return info;
}

// A foreign object's properties: one that is missing, raises or is no plain value counts as absent.
errors::PropertyReader ReaderOf(IDispatch* object)
{
    return [object](const wchar_t* name) -> std::optional<Variant> {
        try {
            Variant value = late::Get(object, name);
            const VARTYPE type = value.get()->vt;
            if ((type & (VT_ARRAY | VT_BYREF)) || type == VT_DISPATCH || type == VT_UNKNOWN ||
                type == VT_ERROR || type == VT_RECORD)
                return std::nullopt;
            return value;
        } catch (const support::RuntimeError&) {
            return std::nullopt;
        }
    };
}

std::wstring InternetText(errors::InternetClient client, IDispatch* object)
{
    if (!object) return {};
    return errors::InternetErrorMessage(client, ReaderOf(object), errors::UserLanguageIsRussian());
}

// The help file and context of the message box on screen, for its Help button.
thread_local const ErrorInfo* t_help = nullptr;

void CALLBACK OpenHelp(LPHELPINFO)
{
    if (t_help)
        ::WinHelpW(::GetActiveWindow(), t_help->HelpFile.c_str(), HELP_CONTEXT,
                   static_cast<ULONG_PTR>(static_cast<DWORD>(t_help->HelpContext)));
}

// The display functions' common steps, after their text is composed.
long Display(const std::wstring& longText, long style, BSTR title, VARIANT* descriptionText,
             VARIANT_BOOL* silent, const ErrorInfo* help = nullptr)
{
    std::wstring caption(BstrView(title));
    if (caption.empty()) caption = support::esGetThunderMainTitle();
    std::wstring text;
    if (descriptionText && !vb::IsMissing(*descriptionText)) text = vb::ToText(*descriptionText);
    if (!text.empty()) text += L"\r\n\r\n";
    text += longText;
    if (help && help->HelpFile.empty()) help = nullptr;
    if (help) style |= kHelpButton;
    if (silent && *silent) return kOk;

    MSGBOXPARAMSW box{sizeof box};
    box.hwndOwner = ::GetActiveWindow();
    box.lpszText = text.c_str();
    box.lpszCaption = caption.c_str();
    box.dwStyle = static_cast<DWORD>(style);
    if (help) {
        box.dwContextHelpId = static_cast<DWORD_PTR>(static_cast<DWORD>(help->HelpContext));
        box.lpfnMsgBoxCallback = OpenHelp;
    }
    const ErrorInfo* outer = std::exchange(t_help, help);
    const int result = ::MessageBoxIndirectW(&box);
    t_help = outer;
    if (result == 0) support::RaiseLastWin32(L"MessageBoxIndirectW");
    return result;
}

} // namespace

HRESULT tlvErr::ErrorDisplay(IDispatch** ErrObject, long Style, BSTR Title, VARIANT* DescriptionText,
                             VARIANT_BOOL* Silent, long* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        const ErrorInfo info = ReadErrorObject(ErrObject);
        *Result = Display(errors::ComposeErrorMessage(info), Style, Title, DescriptionText, Silent, &info);
    });
}

HRESULT tlvErr::GetErrorMessage(IDispatch** ErrObject, BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        *Result = Bstr(errors::ComposeErrorMessage(ReadErrorObject(ErrObject))).release();
    });
}

HRESULT tlvErr::GetShortErrorMessage(IDispatch** ErrObject, BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        *Result = Bstr(errors::ComposeShortErrorMessage(ReadErrorObject(ErrObject))).release();
    });
}

HRESULT tlvErr::ErrorDisplayAPI(long ErrorNumber, long Style, BSTR Title, VARIANT* DescriptionText,
                                VARIANT_BOOL* Silent, long* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = Display(errors::ApiErrorMessage(ErrorNumber), Style, Title, DescriptionText, Silent);
    });
}

HRESULT tlvErr::GetErrorMessageAPI(long ErrorNumber, BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = Bstr(errors::ApiErrorMessage(ErrorNumber)).release();
    });
}

HRESULT tlvErr::GetShortErrorMessageAPI(long ErrorNumber, BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = Bstr(errors::ShortApiErrorMessage(ErrorNumber)).release();
    });
}

HRESULT tlvErr::ErrorDisplayWinMM(long ErrorNumber, long Style, BSTR Title, VARIANT* DescriptionText,
                                  VARIANT_BOOL* Silent, long* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = Display(errors::WinMMErrorMessage(ErrorNumber), Style, Title, DescriptionText, Silent);
    });
}

HRESULT tlvErr::GetErrorMessageWinMM(long ErrorNumber, BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = Bstr(errors::WinMMErrorMessage(ErrorNumber)).release();
    });
}

HRESULT tlvErr::GetShortErrorMessageWinMM(long ErrorNumber, BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = Bstr(errors::ShortWinMMErrorMessage(ErrorNumber)).release();
    });
}

HRESULT tlvErr::ErrorDisplayModule(long ErrorNumber, BSTR ModuleName, long Style, BSTR Title,
                                   VARIANT* DescriptionText, VARIANT_BOOL* Silent, long* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = Display(errors::ModuleErrorMessage(ErrorNumber, std::wstring(BstrView(ModuleName))), Style,
                          Title, DescriptionText, Silent);
    });
}

HRESULT tlvErr::GetErrorMessageModule(long ErrorNumber, BSTR ModuleName, BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = Bstr(errors::ModuleErrorMessage(ErrorNumber, std::wstring(BstrView(ModuleName)))).release();
    });
}

HRESULT tlvErr::GetShortErrorMessageModule(long ErrorNumber, BSTR ModuleName, BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result =
            Bstr(errors::ShortModuleErrorMessage(ErrorNumber, std::wstring(BstrView(ModuleName)))).release();
    });
}

HRESULT tlvErr::ErrorDisplayHTTPRequest(IDispatch* HTTPRequestObject, long Style, BSTR Title,
                                        VARIANT* DescriptionText, VARIANT_BOOL* Silent, long* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = 0;
        if (!HTTPRequestObject) return;
        *Result = Display(InternetText(errors::InternetClient::HttpRequest, HTTPRequestObject), Style, Title,
                          DescriptionText, Silent);
    });
}

HRESULT tlvErr::GetErrorMessageHTTPRequest(IDispatch* HTTPRequestObject, BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = Bstr(InternetText(errors::InternetClient::HttpRequest, HTTPRequestObject)).release();
    });
}

HRESULT tlvErr::ErrorDisplayFTPClient(IDispatch* FTPClientObject, long Style, BSTR Title,
                                      VARIANT* DescriptionText, VARIANT_BOOL* Silent, long* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = 0;
        if (!FTPClientObject) return;
        *Result = Display(InternetText(errors::InternetClient::FtpClient, FTPClientObject), Style, Title,
                          DescriptionText, Silent);
    });
}

HRESULT tlvErr::GetErrorMessageFTPClient(IDispatch* FTPClientObject, BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = Bstr(InternetText(errors::InternetClient::FtpClient, FTPClientObject)).release();
    });
}

HRESULT tlvErr::ShowErrorBox(BSTR Text, long Style, VARIANT Title, long DefaultButtonIndex,
                             long CancelButtonIndex, long TimeoutValue, long* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        std::optional<std::wstring> title;
        if (!vb::IsMissing(Title)) title = vb::ToText(Title);
        *Result = errors::ShowTimedBox(std::wstring(BstrView(Text)), Style, title, DefaultButtonIndex,
                                       CancelButtonIndex, TimeoutValue);
    });
}

} // namespace verrick
