// Splitting command lines of 1,000 to 32,767 characters (the Windows limit),
// as short words and as quoted words, and a line of 10,000 short arguments:
// the time per character should stay flat as the line grows.

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "verrick/services/command_line_split.h"

namespace {

// Median seconds of one split over many runs.
double MedianSeconds(const std::wstring& line)
{
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    std::vector<double> runs;
    size_t words = 0;
    for (int i = 0; i < 201; ++i) {
        LARGE_INTEGER from, to;
        ::QueryPerformanceCounter(&from);
        words += verrick::services::SplitCommandLine(line).size();
        ::QueryPerformanceCounter(&to);
        runs.push_back(double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart));
    }
    std::nth_element(runs.begin(), runs.begin() + runs.size() / 2, runs.end());
    return words ? runs[runs.size() / 2] : 0.0;
}

std::wstring Repeat(const std::wstring& piece, size_t length)
{
    std::wstring line;
    while (line.size() < length)
        line += piece;
    line.resize(length);
    return line;
}

} // namespace

int main()
{
    std::printf("%-28s %8s %12s %14s\n", "line", "chars", "median us", "ns per char");
    for (size_t length : {1000, 4000, 16000, 32767}) {
        for (const wchar_t* piece : {L"ab ", L"\"a b c\" "}) {
            const std::wstring line = Repeat(piece, length);
            const double seconds = MedianSeconds(line);
            std::printf("%-28ls %8zu %12.1f %14.2f\n", piece[0] == L'"' ? L"quoted words" : L"short words",
                        line.size(), seconds * 1e6, seconds * 1e9 / double(line.size()));
        }
    }
    std::wstring many = L"prog.exe";
    for (int i = 0; i < 10000; ++i)
        many += L" a";
    const double seconds = MedianSeconds(many);
    std::printf("%-28s %8zu %12.1f %14.2f\n", "10,000 arguments", many.size(), seconds * 1e6,
                seconds * 1e9 / double(many.size()));
    return 0;
}
