#pragma once
// The identity listing of a type library: everything a compiled client or a
// late-bound caller depends on (GUIDs, names, member ids, vtable slots, kinds,
// flags, parameters and their defaults, constants), without the help strings.
// Vtable slots count pointer-sized entries, so both widths list alike.

#include <string>

#include "type_library.h"

namespace reference {

std::wstring IdentityListing(const Library& library);

} // namespace reference
