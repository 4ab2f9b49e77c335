#pragma once
// System, window and registry support functions (the es* family).
// Same convention as as.h: a result, or support::RuntimeError thrown at once.

#include <windows.h>

#include <string_view>

namespace support {

// Host -----------------------------------------------------------------------
bool esIsHostWinNT();
bool esIsHostWin9x();
// Always False: this program never runs inside a development environment.
bool esIsInIDE();
// Records the running program's path under the user's App Paths key.
bool esRegisterAppPath();

// Program ----------------------------------------------------------------------

// The window class of the hidden owner window that stands for a program in the
// task switcher; the form toolkit creates one window of it per program.
inline constexpr wchar_t kProgramWindowClass[] = L"ToolkitProgramWindow";
// That window of the calling thread, or 0 when there is none.
HWND esGetThunderMainHandle();

// Windows ----------------------------------------------------------------------

// Kept for callers that run it in each form's load; there is nothing to fix here.
bool esFixUserControlsContainerWindow();
// Opacity in percent (1 to 100; 100 opaque). Where layered windows do not
// exist, nothing happens.
void esSetWindowTransparecny(HWND window, long percent, bool enable);

// Screen -----------------------------------------------------------------------
long esScreenTwipsPerPixelX();
long esScreenTwipsPerPixelY();

// Disks ------------------------------------------------------------------------

// Bytes of the volume holding the path; 0 when there is nothing to measure
// (no medium, not ready, no such path). Never shows a system error box.
double esGetDiskSpaceTotal(std::wstring_view path);
double esGetDiskSpaceFree(std::wstring_view path);

}  // namespace support
