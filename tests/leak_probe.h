#pragma once
// Checks that an operation gives back every GDI object, kernel handle and
// window it takes.

#include <doctest.h>

#include "handle_counts.h"

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
