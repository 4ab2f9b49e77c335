#include <doctest.h>

#include <algorithm>

#include "fake_drives.h"
#include "vorlan/drive_list.h"

using namespace vorlan;
using vorlan_test::FakeDrives;

namespace {

std::wstring Keys(const std::vector<RowSource>& rows)
{
    std::wstring keys;
    for (const RowSource& row : rows)
        keys += (row.key.empty() ? L"*" : row.key) + (row.local ? L"" : L"~") + L" ";
    return keys;
}

// A drive substituted for a folder of C: for as long as the object lives.
struct SubstitutedDrive {
    SubstitutedDrive() { ok = ::DefineDosDeviceW(0, L"X:", L"C:\\Temp"); }
    ~SubstitutedDrive() { ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, L"X:", nullptr); }
    BOOL ok;
};

// The system's answers, except that X: is what Windows makes of a drive
// substituted for a folder of C:: a fixed drive that measures C:'s volume.
// Wine gives it the type "no root" and no size, either of which would drop it
// before substitution is looked at.
struct SubstituteAsWindowsShowsIt : DriveQueries {
    UINT DriveType(const std::string& root) override
    {
        return root == "X:\\" ? UINT{DRIVE_FIXED} : DriveQueries::DriveType(root);
    }
    double DiskSpaceTotal(std::wstring_view path) override
    {
        return DriveQueries::DiskSpaceTotal(path == L"X:\\" ? L"C:\\" : path);
    }
};

} // namespace

// The test prefix has A: floppy, B: fixed, C: fixed, D: CD-ROM, E: fixed, Z: network.
TEST_CASE("DriveList::RealDrivesOfThePrefix")
{
    RowOptions options;
    CHECK(Keys(EnumerateRows(options, SystemDriveQueries())) == L"C E ");

    options.showNetworkDrives = true;
    CHECK(Keys(EnumerateRows(options, SystemDriveQueries())) == L"C E Z~ ");

    options.showSummary = true;
    CHECK(Keys(EnumerateRows(options, SystemDriveQueries())) == L"C E Z~ * ");

    options.showAdditionalPaths = true;
    options.additionalPaths = {L"C:\\windows", L"Q:\\nowhere", L"C:\\windows"};
    CHECK(Keys(EnumerateRows(options, SystemDriveQueries())) == L"C E Z~ * C:\\windows~ C:\\windows~ ");
}

TEST_CASE("DriveList::SubstitutedDrivesOnTheRealSystem")
{
    SubstitutedDrive substituted;
    REQUIRE(substituted.ok);
    CHECK(IsSubstitutedDrive(L"X:\\", SystemDriveQueries()));
    CHECK_FALSE(IsSubstitutedDrive(L"C:\\", SystemDriveQueries()));
    CHECK_FALSE(IsSubstitutedDrive(L"E:\\", SystemDriveQueries()));
    CHECK_FALSE(IsSubstitutedDrive(L"Z:\\", SystemDriveQueries()));
    CHECK_FALSE(IsSubstitutedDrive(L"Q:\\", SystemDriveQueries()));

    // Only its being a substitute keeps X: out of the rows.
    SubstituteAsWindowsShowsIt system;
    const std::vector<std::wstring> roots = DriveRoots(system);
    REQUIRE(std::find(roots.begin(), roots.end(), L"X:\\") != roots.end());
    REQUIRE(system.DiskSpaceTotal(L"X:\\") > 0);
    RowOptions options;
    options.showNetworkDrives = true;
    CHECK(Keys(EnumerateRows(options, system)) == L"C E Z~ ");
}

TEST_CASE("DriveList::Filtering")
{
    FakeDrives drives;
    drives.Add('A', DRIVE_REMOVABLE, 1.4e6, 1e6, "\\Device\\Floppy0");
    drives.Add('B', DRIVE_FIXED, 1e9, 1e8);
    drives.Add('C', DRIVE_FIXED, 1e10, 4e9);
    drives.Add('D', DRIVE_CDROM, 7e8, 0, "\\Device\\CdRom0");
    drives.Add('F', DRIVE_REMOVABLE, 0, 0); // no medium
    drives.Add('G', DRIVE_REMOVABLE, 2e9, 1e9);
    drives.Add('H', DRIVE_RAMDISK, 1e8, 1e7);
    drives.Add('I', DRIVE_UNKNOWN, 1e8, 1e7);
    drives.Add('X', DRIVE_FIXED, 1e10, 4e9, "\\??\\C:\\Temp");
    drives.Add('Z', DRIVE_REMOTE, 5e10, 1e10, "\\Device\\LanmanRedirector\\;Z:0\\server\\share");

    RowOptions options;
    CHECK(Keys(EnumerateRows(options, drives)) == L"C G H ");
    options.showNetworkDrives = true;
    CHECK(Keys(EnumerateRows(options, drives)) == L"C G H Z~ ");

    SUBCASE("a network drive as A: is never shown")
    {
        drives.Add('A', DRIVE_REMOTE, 1e9, 1e8);
        CHECK(Keys(EnumerateRows(options, drives)) == L"C G H Z~ ");
    }
    SUBCASE("summary with no qualifying drive is the only drive-side row")
    {
        FakeDrives none;
        none.Add('D', DRIVE_CDROM, 7e8, 0);
        options.showSummary = true;
        CHECK(Keys(EnumerateRows(options, none)) == L"* ");
    }
    SUBCASE("paths follow the summary, unreadable ones skipped without a word")
    {
        drives.paths[L"C:\\Data"] = {1e10, 4e9};
        options.showSummary = options.showAdditionalPaths = true;
        options.additionalPaths = {L"C:\\Data", L"Q:\\Gone", L"C:\\Data"};
        CHECK(Keys(EnumerateRows(options, drives)) == L"C G H Z~ * C:\\Data~ C:\\Data~ ");
        options.showAdditionalPaths = false;
        CHECK(Keys(EnumerateRows(options, drives)) == L"C G H Z~ * ");
    }
    SUBCASE("a share root is measured with its backslash and listed as given")
    {
        drives.paths[L"\\\\server\\share\\"] = {1e10, 4e9};
        options.showAdditionalPaths = true;
        options.additionalPaths = {L"\\\\server\\share"};
        CHECK(Keys(EnumerateRows(options, drives)) == L"C G H Z~ \\\\server\\share~ ");
    }
}

TEST_CASE("DriveList::SubstitutionOnEachFamily")
{
    FakeDrives drives;
    drives.Add('C', DRIVE_FIXED, 1e10, 4e9, "\\Device\\HarddiskVolume1");
    drives.Add('X', DRIVE_FIXED, 1e10, 4e9, "\\??\\C:\\Temp");
    drives.Add('N', DRIVE_REMOTE, 1e10, 4e9, "\\Device\\LanmanRedirector\\;N:0\\srv\\share");
    drives.Add('S', DRIVE_FIXED, 1e10, 4e9, "\\??\\"); // too short to name a folder
    drives.Add('E', DRIVE_FIXED, 1e10, 4e9, "   ");
    CHECK_FALSE(IsSubstitutedDrive(L"C:\\", drives));
    CHECK(IsSubstitutedDrive(L"X:\\", drives));
    CHECK_FALSE(IsSubstitutedDrive(L"N:\\", drives));
    CHECK_FALSE(IsSubstitutedDrive(L"S:\\", drives));
    CHECK_FALSE(IsSubstitutedDrive(L"E:\\", drives));

    // The 9x family maps a plain drive to its own name and a substituted one to a folder.
    drives.nt = false;
    drives.drives['C'].device = "c:";
    drives.drives['X'].device = "C:\\TEMP";
    CHECK_FALSE(IsSubstitutedDrive(L"C:\\", drives));
    CHECK(IsSubstitutedDrive(L"X:\\", drives));
}

TEST_CASE("DriveList::ParsePathList")
{
    CHECK(ParsePathList(L"").empty());
    auto paths = ParsePathList(L"C:\\Data\r\n  \r\nX\r\n D:\\Music \r\nC:\\Data");
    CHECK(paths == std::vector<std::wstring>{L"C:\\Data", L"D:\\Music", L"C:\\Data"});

    // A lone CR or LF does not split; tabs are blanks too.
    CHECK(ParsePathList(L"C:\\A\nC:\\B") == std::vector<std::wstring>{L"C:\\A\nC:\\B"});
    CHECK(ParsePathList(L"\tC:\\Фото\t\r\n\r\n") == std::vector<std::wstring>{L"C:\\Фото"});
    CHECK(ParsePathList(L"\r\n\r\n").empty());
}

TEST_CASE("DriveList::MeasuringPath")
{
    CHECK(MeasuringPath(L"C") == L"C:\\");
    CHECK(MeasuringPath(L"C:\\Data") == L"C:\\Data");
    SUBCASE("a share root gets the backslash the system needs")
    {
        CHECK(MeasuringPath(L"\\\\server\\share") == L"\\\\server\\share\\");
        CHECK(MeasuringPath(L"//server/share") == L"//server/share\\");
    }
    SUBCASE("anything else is measured as listed")
    {
        CHECK(MeasuringPath(L"\\\\server\\share\\") == L"\\\\server\\share\\");
        CHECK(MeasuringPath(L"\\\\server\\share\\folder") == L"\\\\server\\share\\folder");
        CHECK(MeasuringPath(L"\\\\server") == L"\\\\server");
        CHECK(MeasuringPath(L"\\\\server\\") == L"\\\\server\\");
        CHECK(MeasuringPath(L"\\\\?\\C:\\Data") == L"\\\\?\\C:\\Data");
        CHECK(MeasuringPath(L"\\\\.\\C:") == L"\\\\.\\C:");
    }
}
