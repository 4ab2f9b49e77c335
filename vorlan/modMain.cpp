#include "vorlan/modMain.h"

#include <windows.h>

#include <commctrl.h>

#include "components/fatal_error.h"
#include "toolkit/application.h"
#include "vorlan/frmMain.h"

#include "support/as.h"
#include "support/es.h"

namespace vorlan {

void Main(frmMain& main)
{
    support::esRegisterAppPath();
    ::InitCommonControls();
    if (!support::esIsInIDE()) support::asSetWindowResIconAll(support::esGetThunderMainHandle(), L"A_MAIN");
    main.Show();
}

}  // namespace vorlan

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    using toolkit::Application;
    return toolkit::Guard([] {
        vorlan::AppDescriptor app = vorlan::AppDescriptor::ForThisProgram();
        Application::SetTitle(app.Title);
        components::SetFatalErrorHandler([](std::exception_ptr error) { Application::Fatal(error); });
        Application::ProgramWindow();
        vorlan::frmMain main(app);
        vorlan::Main(main);
        Application::Run();
        return 0;
    });
}
