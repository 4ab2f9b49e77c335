#include "support/window_subclass.h"

namespace support {
namespace {

template <typename Function> Function Bind(HMODULE module, WORD ordinal) noexcept
{
    FARPROC address = ::GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

} // namespace

const WindowSubclassFunctions& WindowSubclass() noexcept
{
    static const WindowSubclassFunctions functions = [] {
        WindowSubclassFunctions f;
        if (HMODULE module = ::LoadLibraryW(L"comctl32.dll")) {
            f.set = Bind<decltype(f.set)>(module, 410);
            f.get = Bind<decltype(f.get)>(module, 411);
            f.remove = Bind<decltype(f.remove)>(module, 412);
            f.def = Bind<decltype(f.def)>(module, 413);
        }
        return f;
    }();
    return functions;
}

} // namespace support
