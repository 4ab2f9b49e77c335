#pragma once
// Screenshots of windows as test artefacts, for a person to look at.

#include <doctest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "support/handles.h"
#include "support/test_helpers.h"

namespace test_artefacts {

// What the screen shows of a window's client area, one 0x00RRGGBB value per pixel, rows top down.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<DWORD> values;
    DWORD At(int x, int y) const { return values[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};

inline Pixels CaptureClient(HWND window)
{
    RECT r{};
    ::GetClientRect(window, &r);
    POINT origin{0, 0};
    ::ClientToScreen(window, &origin);
    Pixels shot;
    shot.width = r.right;
    shot.height = r.bottom;
    shot.values.resize(static_cast<size_t>(shot.width) * shot.height);
    support::WindowDC screen(nullptr);
    support::UniqueMemoryDC memory(::CreateCompatibleDC(screen.get()));
    support::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), shot.width, shot.height));
    {
        support::SelectedObject selected(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, shot.width, shot.height, screen.get(), origin.x, origin.y, SRCCOPY);
    }
    BITMAPINFOHEADER header{sizeof header, shot.width, -shot.height, 1, 32, BI_RGB};
    ::GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(shot.height), shot.values.data(),
                reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    return shot;
}

// The window as the screen shows it, saved as a BMP file in artefacts/ beside the test program.
inline void SaveScreenshot(HWND window, const std::wstring& name)
{
    RECT r{};
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    support::WindowDC screen(nullptr);
    support::UniqueMemoryDC memory(::CreateCompatibleDC(screen.get()));
    support::UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), width, height));
    {
        support::SelectedObject selected(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width, height, screen.get(), r.left, r.top, SRCCOPY);
    }
    BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB};
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(stride * static_cast<DWORD>(height));
    ::GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(height), pixels.data(),
                reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof file + sizeof header + pixels.size()), 0, 0,
                          sizeof file + sizeof header};
    std::wstring path = support_test::ProgramPath();
    path.erase(path.find_last_of(L"\\/") + 1);
    ::CreateDirectoryW((path + L"artefacts").c_str(), nullptr);
    path += L"artefacts\\";
    path += name;
    FILE* out = _wfopen(path.c_str(), L"wb");
    CHECK(out);
    if (!out) return;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&header, sizeof header, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    std::fclose(out);
}

} // namespace test_artefacts
