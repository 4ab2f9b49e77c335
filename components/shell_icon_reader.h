#pragma once
// The shell's small icon of a drive root, as Explorer shows it.

#include <windows.h>

#include <commctrl.h>

#include "support/handles.h"

#include <map>
#include <string_view>

namespace components {

// Where the shell keeps a root's icon: a position in its one list of small
// icons for the process (the shell's, never destroyed by us).
struct ShellIconPlace {
    HIMAGELIST list = nullptr;
    int index = -1;
};

class ShellIconReader {
public:
    // Has the shell make its list of small icons now, on this thread, without
    // looking at any volume: the first Locate then finds it made.
    ShellIconReader();

    // True when the shell has an icon for the root ("C:\\"); the icon is then
    // kept until the next Read or the reader's end. A root that is not there
    // gives false and no icon.
    bool Read(std::wstring_view driveRoot);

    // The place of the root's icon, or none. The shell may look at the volume
    // to tell, so this is what a thread other than the window's asks.
    static ShellIconPlace Locate(std::wstring_view driveRoot);

    // The small (16x16) icon at a place, owned by the reader; 0 for none.
    HICON Icon(ShellIconPlace place);

    // The small (16x16) icon of the last successful Read, owned by the reader; 0 otherwise.
    HICON SmallIcon() const noexcept { return current_; }

private:
    // An icon is copied out of the shell's list once per position in it, and kept.
    std::map<int, support::UniqueIcon> icons_;
    HICON current_ = nullptr;
};

} // namespace components
