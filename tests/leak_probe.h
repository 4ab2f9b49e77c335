#pragma once
// Counts of live GDI objects, kernel handles and windows of this process, for
// tests that check an operation gives back everything it takes. Wine's
// GetGuiResources answers 0, so the handle tables are probed one by one:
// Wine accepts a handle whose upper word (the generation) is 0.

#include <doctest.h>
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

// Bytes in use on every heap of the process: memory that nothing frees shows here.
inline SIZE_T HeapBytesInUse()
{
    HANDLE heaps[64];
    const DWORD count = ::GetProcessHeaps(64, heaps);
    SIZE_T bytes = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!::HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes += entry.cbData;
        ::HeapUnlock(heaps[i]);
    }
    return bytes;
}

// Runs round once, so that what stays for the process (classes, fonts, type
// libraries) is loaded, then `times` more, and checks that the GDI objects,
// kernel handles and windows are as many as after the first.
template <class Round> void CheckRoundsLeaveNothing(int times, Round round)
{
    round();
    const int gdi = CountGdiObjects(), handles = CountKernelHandles(), windows = CountWindows();
    for (int i = 0; i < times; ++i)
        round();
    CHECK(CountGdiObjects() == gdi);
    CHECK(CountKernelHandles() == handles);
    CHECK(CountWindows() == windows);
}
