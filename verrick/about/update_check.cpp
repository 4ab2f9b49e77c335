#include "verrick/about/update_check.h"

#include <windows.h>

#include <urlmon.h>
#include <winver.h>

#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "support/as.h"
#include "support/com_object.h"
#include "support/es.h"
#include "support/handles.h"
#include "support/runtime_error.h"
#include "verrick/about/version_file.h"

namespace verrick::about {
namespace {

constexpr wchar_t kVersionServerHost[] = L"www.velmora-tools.example";

constexpr wchar_t kDownloadFailed[] = L"Не удалось получить сведения о версии программы на сайте. Ошибка ";
constexpr wchar_t kReadFailed[] =
    L"Не удалось прочитать полученные сведения о версии программы на сайте. Ошибка ";
constexpr wchar_t kMalformed[] = L"Сведения о версии программы на сайте получены, но они содержат ошибку.";
constexpr wchar_t kBadNumbers[] =
    L"Сведения о версии программы на сайте получены, но они содержат ошибку. Номера указаны неверно.";
constexpr wchar_t kUpToDate[] = L"У Вас свежая версия - обновление не требуется ^_^";
constexpr wchar_t kSiteNewer[] = L"На сайте свежая версия - можно обновляться ^_^";
constexpr wchar_t kLocalNewer[] = L"У Вас версия новее, чем на сайте - спасибо, что пользуетесь ею ^_^";

// The texts of the download errors the URL moniker reports most, where
// neither the system nor urlmon.dll has one.
struct DownloadError {
    HRESULT code;
    const wchar_t* text;
};
constexpr DownloadError kDownloadErrors[] = {
    {INET_E_INVALID_URL, L"The URL is not valid"},
    {INET_E_NO_SESSION, L"No Internet session has been established"},
    {INET_E_CANNOT_CONNECT, L"Cannot connect to the Internet server"},
    {INET_E_RESOURCE_NOT_FOUND, L"The server or proxy was not found"},
    {INET_E_OBJECT_NOT_FOUND, L"The object was not found"},
    {INET_E_DATA_NOT_AVAILABLE, L"The data is not available"},
    {INET_E_DOWNLOAD_FAILURE, L"The download has failed: the connection was interrupted"},
    {INET_E_CONNECTION_TIMEOUT, L"The connection timed out"},
    {INET_E_INVALID_REQUEST, L"The request was invalid"},
    {INET_E_UNKNOWN_PROTOCOL, L"The protocol is not known"},
    {INET_E_SECURITY_PROBLEM, L"A security problem occurred"},
};

std::wstring DownloadErrorDescription(HRESULT code)
{
    std::wstring text = support::asGetAPIErrorDescription(static_cast<long>(code));
    if (text.empty())
        if (HMODULE urlmon = ::GetModuleHandleW(L"urlmon.dll"))
            text = support::asTrimCRLF(support::asGetModuleErrorDescription(urlmon, static_cast<long>(code)));
    if (!text.empty()) return text;
    for (const DownloadError& error : kDownloadErrors)
        if (error.code == code) return error.text;
    return L"Automation error";
}

// Watches the download: asks for the server's newest copy rather than one in
// the cache, and keeps the HTTP status. An error page (a missing file, say)
// ends the download, so it is never read as the version.
class DownloadWatch final : public support::ComObjectBase<IBindStatusCallback, IHttpNegotiate> {
public:
    DWORD HttpStatus() const noexcept { return status_; }

    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO*) override
    {
        if (flags) *flags |= BINDF_GETNEWESTVERSION;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

    HRESULT STDMETHODCALLTYPE BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                   LPWSTR* additionalHeaders) override
    {
        if (additionalHeaders) *additionalHeaders = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnResponse(DWORD status, LPCWSTR, LPCWSTR, LPWSTR* additionalHeaders) override
    {
        if (additionalHeaders) *additionalHeaders = nullptr;
        status_ = status;
        return status >= 400 ? E_ABORT : S_OK;
    }

private:
    DWORD status_ = 0;
};

// The download error of an HTTP error status.
HRESULT HttpStatusError(DWORD status)
{
    return status == 404 || status == 410 ? INET_E_OBJECT_NOT_FOUND : INET_E_DOWNLOAD_FAILURE;
}

// The hourglass over the whole screen while it lives.
class WaitCursor {
public:
    WaitCursor() noexcept : previous_(::SetCursor(::LoadCursorW(nullptr, IDC_WAIT))) {}
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    ~WaitCursor() { ::SetCursor(previous_ ? previous_ : ::LoadCursorW(nullptr, IDC_ARROW)); }

private:
    HCURSOR previous_;
};

// The cached file's bytes, at most kMaxVersionFileSize + 1 of them: a larger
// file is not a version file and is not read whole.
std::string ReadCachedFile(const std::wstring& path)
{
    support::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) support::RaiseLastWin32(L"CreateFileW");
    std::string bytes(kMaxVersionFileSize + 1, '\0');
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), bytes.data() + filled, static_cast<DWORD>(bytes.size() - filled), &read,
                        nullptr))
            support::RaiseLastWin32(L"ReadFile");
        if (read == 0) break;
        filled += read;
    }
    bytes.resize(filled);
    return bytes;
}

std::wstring ErrorMessage(const wchar_t* prefix, long number, const std::wstring& description)
{
    return prefix + support::asGetErrorNumber(number) + L": " + description;
}

std::wstring CompareVersions(const Version& local, const Version& site)
{
    if (site.Major == local.Major && site.Minor == local.Minor && site.Revision == local.Revision)
        return kUpToDate;
    const bool siteNewer =
        site.Major > local.Major || (site.Major == local.Major && site.Minor > local.Minor) ||
        (site.Major == local.Major && site.Minor == local.Minor && site.Revision > local.Revision);
    return siteNewer ? kSiteNewer : kLocalNewer;
}

// The first string of a version block's translation table, or 0409/04E4.
std::wstring TranslationKey(const void* block)
{
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block, L"\\VarFileInfo\\Translation", &value, &length)) return {};
    if (length < 4 || !value) return L"\\StringFileInfo\\040904E4\\InternalName";
    WORD words[2];
    std::memcpy(words, value, sizeof words);
    return L"\\StringFileInfo\\" + support::esHex2(words[0]) + support::esHex2(words[1]) + L"\\InternalName";
}

} // namespace

std::wstring GetInternalName()
{
    constexpr wchar_t kNone[] = L"Dummy";
    try {
        const std::wstring path = support::esGetModuleFileName(nullptr);
        DWORD handle = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
        if (size == 0) return kNone;
        std::vector<BYTE> block(size);
        if (!::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return kNone;
        const std::wstring key = TranslationKey(block.data());
        if (key.empty()) return kNone;
        void* value = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(block.data(), key.c_str(), &value, &length) || !value) return kNone;
        const auto* text = static_cast<const wchar_t*>(value);
        return std::wstring(text, ::wcsnlen(text, length));
    } catch (const std::exception&) {
        return kNone;
    }
}

std::wstring VersionFileUrl(std::wstring_view internalName)
{
    return L"http://" + std::wstring(kVersionServerHost) + L"/programs/win32/versions/Version." +
           std::wstring(internalName) + L".DAT";
}

UpdateOutcome CheckForUpdate(std::wstring_view versionFileUrl, const Version& local)
{
    UpdateOutcome outcome;
    std::wstring cachedPath;
    try {
        const std::wstring url(versionFileUrl);
        std::vector<wchar_t> buffer(1025, L'\0');
        const auto watch = support::MakeObject<DownloadWatch>();
        HRESULT result;
        {
            WaitCursor hourglass;
            result = ::URLDownloadToCacheFileW(nullptr, url.c_str(), buffer.data(), 1024, 0, watch.get());
        }
        if (watch->HttpStatus() >= 400) {
            result = HttpStatusError(watch->HttpStatus());
            outcome.Info = ErrorMessage(kDownloadFailed, static_cast<long>(result),
                                        DownloadErrorDescription(result) + L" (HTTP " +
                                            std::to_wstring(watch->HttpStatus()) + L")");
            return outcome;
        }
        if (FAILED(result)) {
            outcome.Info =
                ErrorMessage(kDownloadFailed, static_cast<long>(result), DownloadErrorDescription(result));
            return outcome;
        }
        cachedPath = support::asGetStringFromPointerW({buffer.data(), buffer.size()});
    } catch (const support::RuntimeError& e) {
        outcome.Info = ErrorMessage(kDownloadFailed, e.Number(), e.Description());
        return outcome;
    } catch (const std::bad_alloc&) {
        outcome.Info = ErrorMessage(kDownloadFailed, support::err::OutOfMemory,
                                    std::wstring(support::StandardErrorText(support::err::OutOfMemory)));
        return outcome;
    }

    std::string bytes;
    try {
        bytes = ReadCachedFile(cachedPath);
    } catch (const support::RuntimeError& e) {
        outcome.Info = ErrorMessage(kReadFailed, e.Number(), e.Description());
        return outcome;
    } catch (const std::bad_alloc&) {
        outcome.Info = ErrorMessage(kReadFailed, support::err::OutOfMemory,
                                    std::wstring(support::StandardErrorText(support::err::OutOfMemory)));
        return outcome;
    }

    const VersionFileContent content = ParseVersionFile(bytes);
    switch (content.Status) {
    case VersionFileStatus::Ok: break;
    case VersionFileStatus::BadNumber: outcome.Info = kBadNumbers; return outcome;
    case VersionFileStatus::TooLarge:
    case VersionFileStatus::WrongPartCount: outcome.Info = kMalformed; return outcome;
    }
    outcome.Succeeded = true;
    outcome.Site = {content.Major, content.Minor, content.Revision};
    outcome.Result = CompareVersions(local, outcome.Site);
    return outcome;
}

} // namespace verrick::about
