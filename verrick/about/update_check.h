#pragma once
// The About box's update check: the host program's internal name, the
// address of its version file on the maker's server, the download, and what
// the box shows for each outcome.

#include <windows.h>

#include <cstdint>
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
struct UpdateOutcome {
    bool Succeeded = false;
    std::wstring Info;
    Version Site;
    std::wstring Result;
};

// Downloads the version file (synchronously, through the system's URL cache
// and its proxy settings), reads it and compares it with the local version.
// Never raises: every failure becomes an Info message.
UpdateOutcome CheckForUpdate(std::wstring_view versionFileUrl, const Version& local);

} // namespace verrick::about
