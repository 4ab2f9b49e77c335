#pragma once
// The type information GetTypeInfo hands out: the dispatch interface's own,
// answering its name as the class's. A client that names an object by its
// type information (a script's TypeName) then says "tlvErr", as for an
// object of the classic runtime, not "_tlvErr"; members, identity (the
// interface's GUID) and everything else stay the interface's.

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace verrick {

// *result: a new type information over interfaceInfo named className.
HRESULT MakeClassTypeInfo(ITypeInfo* interfaceInfo, const std::wstring& className,
                          ITypeInfo** result) noexcept;

} // namespace verrick
