#pragma once
// Counts of live GDI objects, kernel handles and windows of this process, for
// the tests and benchmarks that check that work gives back what it takes.
// Wine's GetGuiResources answers 0, so the handle tables are probed one by one:
// Wine accepts a handle whose upper word (the generation) is 0.

#include <windows.h>

inline int CountGdiObjects()
{
    int count = 0;
    for (UINT_PTR handle = 1; handle <= 0xFFFF; ++handle)
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(handle)) != 0) ++count;
    return count;
}

inline int CountKernelHandles()
{
    int count = 0;
    DWORD flags = 0;
    for (UINT_PTR handle = 4; handle < 0x4000; handle += 4)
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(handle), &flags)) ++count;
    return count;
}

// Window handles are shared by every process: count only this one's.
inline bool IsOwnWindow(HWND window)
{
    DWORD process = 0;
    return ::IsWindow(window) && ::GetWindowThreadProcessId(window, &process) &&
           process == ::GetCurrentProcessId();
}

inline int CountWindows()
{
    int count = 0;
    for (UINT_PTR handle = 1; handle <= 0xFFFF; ++handle)
        if (IsOwnWindow(reinterpret_cast<HWND>(handle))) ++count;
    return count;
}
