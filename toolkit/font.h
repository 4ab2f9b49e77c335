#pragma once
// A font as forms and controls describe it, and the GDI font made from it.

#include <windows.h>

#include <string>

#include "support/handles.h"

namespace toolkit {

struct FontSpec {
    std::wstring Name = L"MS Sans Serif";
    double Size = 8.25; // points
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;
    int Charset = DEFAULT_CHARSET;
    // Letters all of one width: where the named face is missing, the face the
    // system takes in its place has them too, so columns of text still line up.
    bool FixedPitch = false;

    bool operator==(const FontSpec&) const = default;
};

support::UniqueFont MakeFont(const FontSpec& wanted);

} // namespace toolkit
