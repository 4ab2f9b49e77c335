#include "verrick/com/boundary.h"

namespace verrick {

void RaiseNotImplemented(std::wstring_view member)
{
    support::Raise(static_cast<long>(E_NOTIMPL),
                   std::wstring(member) + L" is not available in this version of the library");
}

} // namespace verrick
