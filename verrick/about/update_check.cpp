#include "verrick/about/update_check.h"

#include <windows.h>

#include <urlmon.h>
#include <wininet.h>
#include <winver.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "support/as.h"
#include "support/es.h"
#include "support/handles.h"
#include "support/runtime_error.h"
#include "support/system_library.h"
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

// The texts of the most common download errors (the URL moniker's codes),
// where neither the system nor urlmon.dll has one.
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
    if (text.empty()) {
        // urlmon.dll's texts, read from it as resources: its code is not needed.
        static const HMODULE urlmon =
            support::LoadSystemResources(support::SystemFolder::System, L"urlmon.dll").release();
        if (urlmon)
            text = support::asTrimCRLF(support::asGetModuleErrorDescription(urlmon, static_cast<long>(code)));
    }
    if (!text.empty()) return text;
    for (const DownloadError& error : kDownloadErrors)
        if (error.code == code) return error.text;
    return L"Automation error";
}

// The functions of the system's Internet library, bound when the first check
// runs; null when it is missing.
struct InternetFunctions {
    decltype(&::InternetOpenW) open;
    decltype(&::InternetCrackUrlW) crackUrl;
    decltype(&::InternetConnectW) connect;
    decltype(&::HttpOpenRequestW) openRequest;
    decltype(&::InternetSetOptionW) setOption;
    decltype(&::HttpSendRequestW) sendRequest;
    decltype(&::HttpQueryInfoW) queryInfo;
    decltype(&::InternetQueryDataAvailable) queryDataAvailable;
    decltype(&::InternetReadFile) readFile;
    decltype(&::InternetCloseHandle) closeHandle;

    bool Complete() const noexcept
    {
        return open && crackUrl && connect && openRequest && setOption && sendRequest && queryInfo &&
               queryDataAvailable && readFile && closeHandle;
    }
};

template <typename Function> Function InternetFunction(const char* name) noexcept
{
    return support::SystemFunction<Function>(L"wininet.dll", name);
}

const InternetFunctions& Internet()
{
    static const InternetFunctions functions{
        InternetFunction<decltype(&::InternetOpenW)>("InternetOpenW"),
        InternetFunction<decltype(&::InternetCrackUrlW)>("InternetCrackUrlW"),
        InternetFunction<decltype(&::InternetConnectW)>("InternetConnectW"),
        InternetFunction<decltype(&::HttpOpenRequestW)>("HttpOpenRequestW"),
        InternetFunction<decltype(&::InternetSetOptionW)>("InternetSetOptionW"),
        InternetFunction<decltype(&::HttpSendRequestW)>("HttpSendRequestW"),
        InternetFunction<decltype(&::HttpQueryInfoW)>("HttpQueryInfoW"),
        InternetFunction<decltype(&::InternetQueryDataAvailable)>("InternetQueryDataAvailable"),
        InternetFunction<decltype(&::InternetReadFile)>("InternetReadFile"),
        InternetFunction<decltype(&::InternetCloseHandle)>("InternetCloseHandle"),
    };
    return functions;
}

inline void CloseInternetHandle(HINTERNET handle) noexcept
{
    Internet().closeHandle(handle);
}
using InternetHandle = support::UniqueHandle<support::HandleTraits<HINTERNET, CloseInternetHandle>>;

// The handles of one download (closed request first).
struct InternetHandles {
    InternetHandle session;
    InternetHandle connection;
    InternetHandle request;
};

// The download error a system error of the Internet library stands for, as
// the URL moniker reports them.
HRESULT InternetError(DWORD error)
{
    switch (error) {
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return E_OUTOFMEMORY;
    case ERROR_INTERNET_INVALID_URL:
    case ERROR_INTERNET_BAD_OPTION_LENGTH: return INET_E_INVALID_URL;
    case ERROR_INTERNET_UNRECOGNIZED_SCHEME: return INET_E_UNKNOWN_PROTOCOL;
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
    case ERROR_INTERNET_PROXY_SERVER_UNREACHABLE: return INET_E_RESOURCE_NOT_FOUND;
    case ERROR_INTERNET_CANNOT_CONNECT: return INET_E_CANNOT_CONNECT;
    case ERROR_INTERNET_TIMEOUT: return INET_E_CONNECTION_TIMEOUT;
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_SEC_INVALID_CERT:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_INVALID_CA: return INET_E_SECURITY_PROBLEM;
    default: return INET_E_DOWNLOAD_FAILURE;
    }
}

// One download, shared by the thread that reads it and the caller that waits
// for it: the caller may give up and return first, and the reader ends on its
// own soon after (it looks at `stop` between small reads, and the Internet
// library's time-outs end a wait for a server that does not answer).
struct Download {
    std::wstring url;
    DWORD timeoutMs = 0;
    std::atomic<bool> stop{false};
    support::UniqueKernelHandle done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // Written by the reader before it sets done.
    DWORD httpStatus = 0;
    HRESULT result = S_OK;
    HRESULT readError = S_OK;
    std::string bytes;
};

// Reads the file: the server's newest copy, written to no cache; an HTTP
// error status (a missing file's error page, say) ends the download, so it is
// never read as the version; at most kMaxVersionFileSize + 1 bytes are kept,
// read a little at a time: one more ends the download, as no version file is
// that long.
void Read(Download& download, InternetHandles& handles)
{
    const InternetFunctions& internet = Internet();
    if (!internet.Complete()) {
        download.result = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
        return;
    }
    URL_COMPONENTSW parts{sizeof parts};
    wchar_t host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = static_cast<DWORD>(std::size(host));
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!internet.crackUrl(download.url.c_str(), 0, 0, &parts)) {
        download.result = InternetError(::GetLastError());
        return;
    }
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
        download.result = INET_E_UNKNOWN_PROTOCOL;
        return;
    }
    const std::wstring object =
        std::wstring(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength) +
        std::wstring(parts.lpszExtraInfo ? parts.lpszExtraInfo : L"", parts.dwExtraInfoLength);
    handles.session.reset(internet.open(L"Verrick", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (handles.session)
        handles.connection.reset(internet.connect(handles.session.get(), host, parts.nPort, nullptr, nullptr,
                                                  INTERNET_SERVICE_HTTP, 0, 0));
    if (handles.connection)
        handles.request.reset(internet.openRequest(
            handles.connection.get(), L"GET", object.empty() ? L"/" : object.c_str(), nullptr, nullptr,
            nullptr,
            INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES |
                (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0),
            0));
    if (!handles.request) {
        download.result = InternetError(::GetLastError());
        return;
    }
    // Set on the request, where every system takes them: a server that stops answering ends the
    // reader at the check's own time-out.
    DWORD timeout = download.timeoutMs;
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        internet.setOption(handles.request.get(), option, &timeout, sizeof timeout);
    if (!internet.sendRequest(handles.request.get(), nullptr, 0, nullptr, 0)) {
        download.result = InternetError(::GetLastError());
        return;
    }
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!internet.queryInfo(handles.request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                            &size, nullptr) ||
        status == 0) {
        // A connection closed with no status line at all is no answer (some systems let it through).
        download.result = INET_E_DOWNLOAD_FAILURE;
        return;
    }
    download.httpStatus = status;
    if (status >= 400) return;
    char chunk[512];
    while (!download.stop && download.bytes.size() <= kMaxVersionFileSize) {
        // Only what has come is read: a read of more waits for all of it.
        DWORD available = 0;
        DWORD read = 0;
        if (!internet.queryDataAvailable(handles.request.get(), &available, 0, 0) ||
            (available > 0 && !internet.readFile(handles.request.get(), chunk,
                                                 std::min<DWORD>(available, sizeof chunk), &read))) {
            const DWORD error = ::GetLastError();
            // The connection failing is a download error; anything else, one of reading what came.
            if (error >= INTERNET_ERROR_BASE && error <= INTERNET_ERROR_LAST)
                download.result = InternetError(error);
            else
                download.readError = HRESULT_FROM_WIN32(error);
            return;
        }
        if (read == 0) return;
        download.bytes.append(chunk, read);
    }
}

// What the reader's thread is given: the download, and a reference to this
// module that keeps its code loaded while the thread runs (the caller may give
// up and return, and its client unload the module, first).
struct Reader {
    std::shared_ptr<Download> download;
    HMODULE module = nullptr;
};

DWORD WINAPI ReadOnThread(LPVOID context)
{
    HMODULE module = nullptr;
    {
        const std::unique_ptr<Reader> reader(static_cast<Reader*>(context));
        module = reader->module;
        Download& download = *reader->download;
        // Closing a request whose answer was not read to its end may read the rest first (Wine's
        // does): the caller has its answer before.
        InternetHandles handles;
        try {
            Read(download, handles);
        } catch (const std::bad_alloc&) {
            download.result = E_OUTOFMEMORY;
        }
        ::SetEvent(download.done.get());
    }
    ::FreeLibraryAndExitThread(module, 0);
}

// Starts the reader on a thread of its own.
HRESULT StartReading(const std::shared_ptr<Download>& download)
{
    if (!download->done) return HRESULT_FROM_WIN32(::GetLastError());
    auto reader = std::make_unique<Reader>(Reader{download});
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCWSTR>(&ReadOnThread), &reader->module))
        return HRESULT_FROM_WIN32(::GetLastError());
    support::UniqueKernelHandle thread(::CreateThread(nullptr, 0, ReadOnThread, reader.get(), 0, nullptr));
    if (!thread) {
        const DWORD error = ::GetLastError();
        ::FreeLibrary(reader->module);
        return HRESULT_FROM_WIN32(error);
    }
    reader.release();
    return S_OK;
}

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
    std::string bytes;
    try {
        auto download = std::make_shared<Download>();
        download->url = std::wstring(versionFileUrl);
        download->timeoutMs = timeoutMs;
        HRESULT result = StartReading(download);
        while (SUCCEEDED(result) && ::WaitForSingleObject(download->done.get(), 0) != WAIT_OBJECT_0) {
            if (!waitStep()) {
                download->stop = true;
                outcome.Cancelled = true;
                return outcome;
            }
            const DWORD waited = ::GetTickCount() - start;
            if (waited >= timeoutMs) {
                download->stop = true;
                outcome.Info = ErrorMessage(kDownloadFailed, static_cast<long>(INET_E_CONNECTION_TIMEOUT),
                                            DownloadErrorDescription(INET_E_CONNECTION_TIMEOUT) + L" (" +
                                                std::to_wstring(timeoutMs / 1000) + L" s)");
                return outcome;
            }
            const HANDLE done = download->done.get();
            ::MsgWaitForMultipleObjectsEx(1, &done, std::min<DWORD>(timeoutMs - waited, 100), QS_ALLINPUT,
                                          MWMO_INPUTAVAILABLE);
        }
        if (SUCCEEDED(result)) result = download->result;
        if (download->httpStatus >= 400) {
            result = HttpStatusError(download->httpStatus);
            outcome.Info = ErrorMessage(kDownloadFailed, static_cast<long>(result),
                                        DownloadErrorDescription(result) + L" (HTTP " +
                                            std::to_wstring(download->httpStatus) + L")");
            return outcome;
        }
        if (FAILED(download->readError)) {
            outcome.Info = ErrorMessage(kReadFailed, static_cast<long>(download->readError),
                                        DownloadErrorDescription(download->readError));
            return outcome;
        }
        if (FAILED(result)) {
            outcome.Info =
                ErrorMessage(kDownloadFailed, static_cast<long>(result), DownloadErrorDescription(result));
            return outcome;
        }
        bytes = std::move(download->bytes);
    } catch (const std::bad_alloc&) {
        outcome.Info = ErrorMessage(kDownloadFailed, support::err::OutOfMemory,
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
