#pragma once
// The shell's small icon of a drive root, as Explorer shows it.

#include "support/handles.h"

#include <map>
#include <string_view>

namespace components {

class ShellIconReader {
public:
    // True when the shell has an icon for the root ("C:\\"); the icon is then
    // kept until the next Read or the reader's end. A root that is not there
    // gives false and no icon.
    bool Read(std::wstring_view driveRoot);

    // The small (16x16) icon of the last successful Read, owned by the reader; 0 otherwise.
    HICON SmallIcon() const noexcept { return current_; }

private:
    // The shell keeps its small icons in one list for the process: an icon
    // is copied out of it once per position in it, and kept.
    std::map<int, support::UniqueIcon> icons_;
    HICON current_ = nullptr;
};

} // namespace components
