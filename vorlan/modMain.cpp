#include "vorlan/modMain.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include "toolkit/application.h"
#include "vorlan/frmMain.h"
#include "vorlan/verrick_client.h"

#include "support/as.h"
#include "support/es.h"
#include "support/runtime_error.h"
#include "support/system_library.h"

namespace vorlan {
namespace {

// The process's COM apartment; Verrick's object goes before it ends.
class ComApartment {
public:
    ComApartment()
    {
        if (HRESULT hr = ::CoInitialize(nullptr); FAILED(hr))
            support::Raise(static_cast<long>(hr), L"COM could not be initialised", L"CoInitialize");
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment()
    {
        ReleaseTlvMain();
        ::CoUninitialize();
    }
};

} // namespace

void Main(frmMain& main)
{
    support::esRegisterAppPath();
    // comctl32 is bound, not imported: an import would be looked for in Vorlan's folder first.
    if (auto init =
            support::SystemFunction<decltype(&::InitCommonControls)>(L"comctl32.dll", "InitCommonControls"))
        init();
    if (!support::esIsInIDE()) support::asSetWindowResIconAll(support::esGetThunderMainHandle(), L"A_MAIN");
    main.Show();
}

} // namespace vorlan

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    using toolkit::Application;
    // Libraries are taken from the system folder only, never from Vorlan's own.
    support::RestrictLibrarySearch();
    return toolkit::GuardCallback([] {
        vorlan::ComApartment com;
        vorlan::AppDescriptor app = vorlan::AppDescriptor::ForThisProgram();
        Application::SetTitle(app.Title);
        Application::ProgramWindow();
        vorlan::frmMain main(app);
        vorlan::Main(main);
        Application::Run();
        return 0;
    });
}
