// Vorlan.exe as a person meets it: started as its own process, its window
// looked at on the screen, closed with the close box.

#include <doctest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "vorlan/frmMain.h"

#include "support/handles.h"

namespace {

// VORLAN_EXE holds the program's Unix path; the test prefix's Z: is the Unix root.
std::wstring ProgramPath()
{
    const char* unixPath = std::getenv("VORLAN_EXE");
    REQUIRE(unixPath);
    std::wstring path = L"Z:";
    for (const char* c = unixPath; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

struct FoundWindow {
    DWORD processId;
    HWND window = nullptr;
};

BOOL CALLBACK MatchMainWindow(HWND window, LPARAM context)
{
    auto* found = reinterpret_cast<FoundWindow*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (owner == found->processId && std::wstring(className) == L"ToolkitForm" && ::IsWindowVisible(window)) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

HWND FindMainWindow(DWORD processId)
{
    FoundWindow found{processId};
    ::EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

std::vector<HWND> Bars(HWND main)
{
    std::vector<HWND> bars;
    for (HWND child = ::GetWindow(main, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[64] = {};
        ::GetClassNameW(child, className, 64);
        RECT r{};
        ::GetWindowRect(child, &r);
        // The bars are the picture boxes of 233 x 21 pixels; icon boxes are 17 x 17.
        if (std::wstring(className) == L"ToolkitPicture" && ::IsWindowVisible(child) && r.right - r.left == 233)
            bars.push_back(child);
    }
    return bars;
}

// The screen under a window, as a 32-bit top-down image; also saved as a BMP beside the test.
struct Screenshot {
    explicit Screenshot(HWND window)
    {
        ::GetWindowRect(window, &area);
        width = area.right - area.left;
        height = area.bottom - area.top;
        support::WindowDC screen(nullptr);
        support::UniqueMemoryDC dc(::CreateCompatibleDC(screen.get()));
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
        void* bits = nullptr;
        support::UniqueBitmap bitmap(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        {
            support::SelectedObject selected(dc.get(), bitmap.get());
            ::BitBlt(dc.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY);
        }
        pixels.assign(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + width * height);
        Save(info.bmiHeader);
    }

    COLORREF At(int screenX, int screenY) const
    {
        DWORD p = pixels[(screenY - area.top) * width + (screenX - area.left)];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    void Save(BITMAPINFOHEADER header) const
    {
        header.biHeight = -header.biHeight;
        DWORD size = static_cast<DWORD>(pixels.size() * 4);
        BITMAPFILEHEADER file{0x4D42, sizeof(BITMAPFILEHEADER) + sizeof header + size, 0, 0,
                              sizeof(BITMAPFILEHEADER) + sizeof header};
        support::UniqueFileHandle out(
            ::CreateFileW(L"vorlan-e2e.bmp", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (!out) return;
        DWORD written = 0;
        ::WriteFile(out.get(), &file, sizeof file, &written, nullptr);
        ::WriteFile(out.get(), &header, sizeof header, &written, nullptr);
        // Opaque pixels: viewers read the fourth byte as alpha.
        std::vector<DWORD> row(width);
        for (int y = height - 1; y >= 0; --y) {
            for (int x = 0; x < width; ++x) row[x] = pixels[y * width + x] | 0xFF000000u;
            ::WriteFile(out.get(), row.data(), width * 4, &written, nullptr);
        }
    }

    RECT area{};
    int width = 0, height = 0;
    std::vector<DWORD> pixels;
};

void Wait(DWORD milliseconds)
{
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < milliseconds) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        ::Sleep(20);
    }
}

}  // namespace

TEST_CASE("Vorlan::StartsShowsItsDrivesAndCloses")
{
    std::wstring path = ProgramPath();
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + path + L"\"";
    REQUIRE(::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process));
    support::UniqueKernelHandle processHandle(process.hProcess), thread(process.hThread);

    HWND main = nullptr;
    for (int i = 0; i < 200 && !main; ++i) {
        ::WaitForInputIdle(process.hProcess, 100);
        main = FindMainWindow(process.dwProcessId);
    }
    REQUIRE(main);
    ::SetForegroundWindow(main);
    Wait(300);

    wchar_t caption[256] = {};
    ::GetWindowTextW(main, caption, 256);
    CHECK(std::wstring(caption) == L"Vorlan :: F5 / Tab / 0aANPRST :: занято / всего");
    RECT client{};
    ::GetClientRect(main, &client);
    CHECK(client.right == 581);

    // C: and E: qualify in the test prefix: two rows, 435 + 360 twips high.
    std::vector<HWND> bars = Bars(main);
    CHECK(bars.size() == 2);
    CHECK(client.bottom == (435 + 360) / 15);

    ULARGE_INTEGER available, total, free;
    REQUIRE(::GetDiskFreeSpaceExW(L"C:\\", &available, &total, &free));
    double used = double(total.QuadPart - free.QuadPart) / (double(total.QuadPart) / 100);
    COLORREF expected = vorlan::BarColor(used, false);

    Screenshot shot(main);
    for (HWND bar : bars) {
        RECT r{};
        ::GetClientRect(bar, &r);
        POINT filled{1, r.bottom / 2}, empty{r.right - 2, r.bottom / 2};
        ::ClientToScreen(bar, &filled);
        ::ClientToScreen(bar, &empty);
        CHECK(shot.At(filled.x, filled.y) == expected);
        if (used < 98) CHECK(shot.At(empty.x, empty.y) == vorlan::kBarBackground);
    }

    ::PostMessageW(main, WM_CLOSE, 0, 0);
    REQUIRE(::WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    CHECK(exitCode == 0);
}
