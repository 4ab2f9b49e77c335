#include "support/window_subclass.h"

#include <type_traits>

#include "support/system_library.h"

namespace support {

const WindowSubclassFunctions& WindowSubclass() noexcept
{
    static const WindowSubclassFunctions functions = [] {
        auto bind = [](auto& function, WORD ordinal) {
            function = SystemFunction<std::remove_reference_t<decltype(function)>>(L"comctl32.dll",
                                                                                   MAKEINTRESOURCEA(ordinal));
        };
        WindowSubclassFunctions f;
        bind(f.set, 410);
        bind(f.get, 411);
        bind(f.remove, 412);
        bind(f.def, 413);
        return f;
    }();
    return functions;
}

} // namespace support
