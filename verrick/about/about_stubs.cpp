// Placeholders until the information panes and the update check are built.
#include "verrick/about/info_panes.h"
#include "verrick/about/update_check.h"
#include "support/runtime_error.h"

namespace verrick::about {

std::wstring CModuleEntry::toString(long) const
{
    return Name;
}
const CModuleEntry& ModuleSnapshot::ModuleItem(long index) const
{
    if (index < 0 || index >= ModulesCount()) support::Raise(support::err::SubscriptOutOfRange);
    return Entries[static_cast<std::size_t>(index)];
}
CToolHelpInfo::CToolHelpInfo() = default;
CPSAPIInfo::CPSAPIInfo() = default;
ModuleListing ReadModuleListing()
{
    return {};
}
void ShowModuleProperties(HWND, const ModuleSnapshot&, long) {}
SystemInfoTexts ReadSystemInfo()
{
    return {L"Windows", L"1 MB (50%)", L"1 MB", L"1 MB"};
}
std::optional<std::array<std::wstring, 5>> ReadProcessTimes()
{
    return std::nullopt;
}
std::wstring FormatDuration(double)
{
    return L"0:00:00.0";
}
std::wstring FormatFileTimeLocal(const FILETIME&)
{
    return L"N/A";
}
std::wstring FormatFileTimeDuration(const FILETIME&)
{
    return L"0:00:00.0";
}
std::wstring FormatElapsedTime(const FILETIME&, const FILETIME&)
{
    return L"0:00:00.0";
}
std::wstring FormatCpuTotal(const FILETIME&, const FILETIME&)
{
    return L"0:00:00.0";
}
void ShowSystemInfo(HWND) {}

std::wstring GetInternalName()
{
    return L"Dummy";
}
std::wstring VersionFileUrl(std::wstring_view internalName)
{
    return L"http://www.velmora-tools.example/programs/win32/versions/Version." + std::wstring(internalName) +
           L".DAT";
}
UpdateOutcome CheckForUpdate(std::wstring_view, const Version&)
{
    return {false, L"Не удалось получить сведения о версии программы на сайте.", {}, {}};
}

} // namespace verrick::about
