// Times one refresh of the main window (median over many) for 1, 5 and 10
// rows, beside the floor: only the disk queries that the same refresh makes,
// asked one after the other on one thread.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "toolkit/application.h"
#include "vorlan/frmMain.h"

namespace vorlan {

struct frmMainTestAccess {
    frmMain& form;
    void Paths(std::vector<std::wstring> paths)
    {
        form.ShowAdditionalPaths = !paths.empty();
        form.AdditionalPaths = std::move(paths);
    }
};

} // namespace vorlan

namespace {

// The real disks, but only drive C: among the roots, so the row count is set by the paths.
class OnlyDriveC : public vorlan::DriveQueries {
public:
    std::string LogicalDriveStrings() override { return std::string("C:\\\0\0", 5); }
};

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

double MedianMs(int runs, const std::function<void()>& body)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        body();
        ::QueryPerformanceCounter(&end);
        times.push_back(Seconds(start, end) * 1000);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            toolkit::Application::Dispatch(message);
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[runs / 2];
}

} // namespace

int main(int argc, char** argv)
{
    int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 101;
    OnlyDriveC drives;
    // A title of its own: the bench never reads or writes Vorlan's stored options.
    vorlan::AppDescriptor app = vorlan::AppDescriptor::ForThisProgram();
    app.Title = L"Tollever - Vorlan Bench";
    vorlan::frmMain form(app, drives);
    form.Show();
    vorlan::frmMainTestAccess access{form};
    const std::vector<std::wstring> folders = {
        L"C:\\windows",       L"C:\\windows\\system32", L"C:\\users",
        L"C:\\Program Files", L"C:\\windows\\fonts",    L"C:\\windows\\temp",
        L"C:\\windows\\inf",  L"C:\\ProgramData",       L"C:\\windows\\help"};
    std::printf("rows  refresh ms  floor ms  ratio\n");
    for (int rows : {1, 5, 10}) {
        std::vector<std::wstring> paths(folders.begin(), folders.begin() + (rows - 1));
        access.Paths(paths);
        double refresh = MedianMs(runs, [&] { form.RefreshBars(); });
        vorlan::RowOptions options{false, false, !paths.empty(), paths};
        double floor = MedianMs(runs, [&] { vorlan::EnumerateRows(options, drives); });
        std::printf("%4d  %10.3f  %8.3f  %5.1f\n", rows, refresh, floor, refresh / floor);
    }
    // Ends without unloading: nothing is saved.
    return 0;
}
