#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest.h>

#include <windows.h>

int main(int argc, char** argv)
{
    // A failing test must never stop on a system error dialog.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    doctest::Context context(argc, argv);
    return context.run();
}
