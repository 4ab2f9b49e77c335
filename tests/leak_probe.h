#pragma once
// Checks that an operation gives back every GDI object, kernel handle and
// window it takes.

#include <doctest.h>

#include "handle_counts.h"

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
