#pragma once
// The About box's update check: the host program's internal name, the
// address of its version file on the maker's server, the download, and what
// the box shows for each outcome.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace verrick::about {

inline constexpr std::wstring_view kMakerHomePage = L"http://www.velmora-tools.example/";

struct Version {
    std::int32_t Major = 0;
    std::int32_t Minor = 0;
    std::int32_t Revision = 0;
};

// The InternalName string of the host executable's version resource;
// "Dummy" when it cannot be read.
std::wstring GetInternalName();

// "http://" + server host + "/programs/win32/versions/Version." + name + ".DAT"
std::wstring VersionFileUrl(std::wstring_view internalName);

// What the Update check tab shows after a press of its button. On failure
// only Info is set (the message for lblUpdateInfo) and the button stays
// enabled; on success Site and Result are set and the button is disabled.
// A check given up by its caller sets nothing but Cancelled.
struct UpdateOutcome {
    bool Succeeded = false;
    bool Cancelled = false;
    std::wstring Info;
    Version Site;
    std::wstring Result;
};

// How long a check may take before it is given up as timed out.
inline constexpr DWORD kUpdateCheckTimeoutMs = 20000;

// Runs while a check waits, whenever a message arrives and at least every
// tenth of a second: handles the thread's messages, so its windows keep
// painting, and says whether to go on waiting (false gives the check up).
using UpdateWaitStep = std::function<bool()>;
// The step of a caller without forms: dispatches what is waiting, always goes on.
bool DispatchWaitingMessages();

// Downloads the version file through the system's proxy settings, never from
// the cache, and compares it with the local version. Returns when the check
// ends: at the file's end, as soon as more than kMaxVersionFileSize bytes have
// come, at the time-out, or when the wait step gives it up. Never raises: every
// failure becomes an Info message.
UpdateOutcome CheckForUpdate(std::wstring_view versionFileUrl, const Version& local,
                             const UpdateWaitStep& waitStep = DispatchWaitingMessages,
                             DWORD timeoutMs = kUpdateCheckTimeoutMs);

} // namespace verrick::about
