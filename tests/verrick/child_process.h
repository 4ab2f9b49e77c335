#pragma once
// Starts services_child.exe (built beside the test program) as a process of
// its own and collects the UTF-16 lines it writes to its standard output.

#include <windows.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "support/handles.h"
#include "wait_scale.h"

namespace verrick_test {

inline std::wstring ChildProgramPath()
{
    std::wstring path(MAX_PATH, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"services_child.exe";
}

// A running child; its output is read by Finish.
class ChildProcess {
public:
    // commandLine is passed to the child exactly as given.
    explicit ChildProcess(std::wstring commandLine)
    {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE read = nullptr, write = nullptr;
        if (!::CreatePipe(&read, &write, &inherit, 0)) return;
        output_.reset(read);
        support::UniqueKernelHandle writeEnd(write);
        ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = write;
        startup.hStdError = write;
        startup.hStdInput = nullptr;
        const std::wstring program = ChildProgramPath();
        PROCESS_INFORMATION info{};
        if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                             &startup, &info)) {
            process_.reset(info.hProcess);
            ::CloseHandle(info.hThread);
        }
    }

    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // A child that outlived its test is ended with it.
    ~ChildProcess()
    {
        if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT)
            ::TerminateProcess(process_.get(), 99);
    }

    bool Started() const noexcept { return static_cast<bool>(process_); }
    HANDLE Process() const noexcept { return process_.get(); }

    // Waits for a line that starts with prefix, at most timeoutMs; false when
    // the child ended or the time ran out first.
    bool WaitForLine(std::wstring_view prefix, std::wstring& line, DWORD timeoutMs = 60000)
    {
        const DWORD started = ::GetTickCount();
        for (;;) {
            const bool ended = ::WaitForSingleObject(process_.get(), 20) == WAIT_OBJECT_0;
            Drain();
            for (const std::wstring& candidate : Lines()) {
                if (candidate.starts_with(prefix)) {
                    line = candidate;
                    return true;
                }
            }
            if (ended || ::GetTickCount() - started > test_wait::Deadline(timeoutMs)) return false;
        }
    }

    // Waits for the end (at most timeoutMs) and returns the exit code, -1 on time-out.
    int Finish(std::vector<std::wstring>& lines, DWORD timeoutMs = 60000)
    {
        const DWORD started = ::GetTickCount();
        bool ended = false;
        while (!ended && ::GetTickCount() - started <= test_wait::Deadline(timeoutMs)) {
            ended = ::WaitForSingleObject(process_.get(), 20) == WAIT_OBJECT_0;
            Drain();
        }
        lines = Lines();
        if (!ended) return -1;
        DWORD code = 0;
        ::GetExitCodeProcess(process_.get(), &code);
        return static_cast<int>(code);
    }

private:
    // Reads only what is there: a service process that Wine starts meanwhile may
    // inherit the pipe and keep it open, so its end never comes.
    void Drain()
    {
        DWORD available = 0;
        while (::PeekNamedPipe(output_.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            std::string chunk(available, '\0');
            DWORD got = 0;
            if (!::ReadFile(output_.get(), chunk.data(), available, &got, nullptr)) break;
            bytes_.append(chunk, 0, got);
        }
    }
    // The complete UTF-16 lines written so far.
    std::vector<std::wstring> Lines() const
    {
        std::wstring text(bytes_.size() / sizeof(wchar_t), L'\0');
        std::memcpy(text.data(), bytes_.data(), text.size() * sizeof(wchar_t));
        std::vector<std::wstring> lines;
        size_t start = 0;
        for (size_t end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }

    std::string bytes_;
    support::UniqueKernelHandle process_;
    support::UniqueKernelHandle output_;
};

} // namespace verrick_test
