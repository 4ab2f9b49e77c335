#include "verrick/about/update_check.h"

#include <windows.h>

#include <urlmon.h>
#include <winver.h>

#include <algorithm>
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

// Receives the download, on the calling thread as its messages are handled:
// asks for the server's newest copy and writes nothing to the cache, keeps
// the HTTP status (an error page, a missing file say, ends the download, so it
// is never read as the version), and keeps at most kMaxVersionFileSize + 1
// bytes: one more ends the download, as no version file is that long.
class DownloadWatch final : public support::ComObjectBase<IBindStatusCallback, IHttpNegotiate> {
public:
    DWORD HttpStatus() const noexcept { return status_; }
    bool Ended() const noexcept { return ended_; }
    HRESULT Result() const noexcept { return result_; }
    HRESULT ReadError() const noexcept { return readError_; }
    const std::string& Bytes() const noexcept { return bytes_; }
    // Stops the download; the system still reports its end, which no one awaits.
    void Abort() noexcept
    {
        if (binding_) binding_->Abort();
        binding_.reset();
    }

    HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* binding) override
    {
        binding_ = support::ComPtr<IBinding>(binding);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnProgress(ULONG, ULONG, ULONG, LPCWSTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT result, LPCWSTR) override
    {
        ended_ = true;
        result_ = result;
        binding_.reset();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO*) override
    {
        if (flags)
            *flags = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA | BINDF_GETNEWESTVERSION |
                     BINDF_NOWRITECACHE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM* medium) override
    {
        if (!medium || medium->tymed != TYMED_ISTREAM || !medium->pstm || ended_) return S_OK;
        char chunk[512];
        for (;;) {
            ULONG read = 0;
            const HRESULT result = medium->pstm->Read(chunk, sizeof chunk, &read);
            if (FAILED(result) && result != E_PENDING) {
                readError_ = result;
                Abort();
                break;
            }
            bytes_.append(chunk, std::min<std::size_t>(read, sizeof chunk));
            if (bytes_.size() > kMaxVersionFileSize) {
                Abort();
                break;
            }
            if (result != S_OK || read == 0) break;
        }
        return S_OK;
    }
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
    support::ComPtr<IBinding> binding_;
    DWORD status_ = 0;
    bool ended_ = false;
    HRESULT result_ = S_OK;
    HRESULT readError_ = S_OK;
    std::string bytes_;
};

// The download error of an HTTP error status.
HRESULT HttpStatusError(DWORD status)
{
    return status == 404 || status == 410 ? INET_E_OBJECT_NOT_FOUND : INET_E_DOWNLOAD_FAILURE;
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

bool DispatchWaitingMessages()
{
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Left for the loop that waits for it; the check is given up.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return true;
}

UpdateOutcome CheckForUpdate(std::wstring_view versionFileUrl, const Version& local,
                             const UpdateWaitStep& waitStep, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    UpdateOutcome outcome;
    const auto watch = support::MakeObject<DownloadWatch>();
    try {
        const std::wstring url(versionFileUrl);
        support::ComPtr<IMoniker> moniker;
        HRESULT result = ::CreateURLMonikerEx(nullptr, url.c_str(), moniker.put(), URL_MK_UNIFORM);
        support::ComPtr<IBindCtx> context;
        if (SUCCEEDED(result)) result = ::CreateAsyncBindCtx(0, watch.get(), nullptr, context.put());
        support::ComPtr<IStream> stream;
        if (SUCCEEDED(result))
            result = moniker->BindToStorage(context.get(), nullptr, IID_IStream,
                                            reinterpret_cast<void**>(stream.put()));
        while (SUCCEEDED(result) && !watch->Ended()) {
            if (!waitStep()) {
                watch->Abort();
                outcome.Cancelled = true;
                return outcome;
            }
            const DWORD waited = ::GetTickCount() - start;
            if (waited >= timeoutMs) {
                watch->Abort();
                outcome.Info = ErrorMessage(kDownloadFailed, static_cast<long>(INET_E_CONNECTION_TIMEOUT),
                                            DownloadErrorDescription(INET_E_CONNECTION_TIMEOUT) + L" (" +
                                                std::to_wstring(timeoutMs / 1000) + L" s)");
                return outcome;
            }
            ::MsgWaitForMultipleObjectsEx(0, nullptr, std::min<DWORD>(timeoutMs - waited, 100), QS_ALLINPUT,
                                          MWMO_INPUTAVAILABLE);
        }
        // A download stopped for its length ends as an abort: the parser names what is wrong with it.
        if (SUCCEEDED(result) && watch->Bytes().size() <= kMaxVersionFileSize) result = watch->Result();
        if (watch->HttpStatus() >= 400) {
            result = HttpStatusError(watch->HttpStatus());
            outcome.Info = ErrorMessage(kDownloadFailed, static_cast<long>(result),
                                        DownloadErrorDescription(result) + L" (HTTP " +
                                            std::to_wstring(watch->HttpStatus()) + L")");
            return outcome;
        }
        if (FAILED(watch->ReadError())) {
            outcome.Info = ErrorMessage(kReadFailed, static_cast<long>(watch->ReadError()),
                                        DownloadErrorDescription(watch->ReadError()));
            return outcome;
        }
        if (FAILED(result)) {
            outcome.Info =
                ErrorMessage(kDownloadFailed, static_cast<long>(result), DownloadErrorDescription(result));
            return outcome;
        }
    } catch (const support::RuntimeError& e) {
        watch->Abort();
        outcome.Info = ErrorMessage(kDownloadFailed, e.Number(), e.Description());
        return outcome;
    } catch (const std::bad_alloc&) {
        watch->Abort();
        outcome.Info = ErrorMessage(kDownloadFailed, support::err::OutOfMemory,
                                    std::wstring(support::StandardErrorText(support::err::OutOfMemory)));
        return outcome;
    }

    const VersionFileContent content = ParseVersionFile(watch->Bytes());
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
