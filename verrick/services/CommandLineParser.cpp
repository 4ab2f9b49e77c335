#include "verrick/services/CommandLineParser.h"

#include "support/com.h"
#include "support/es.h"
#include "support/runtime_error.h"
#include "verrick/services/command_line_split.h"

namespace verrick {

CommandLineParser::CommandLineParser()
{
    const wchar_t* line = ::GetCommandLineW();
    Parse(line ? std::wstring_view(line) : std::wstring_view(), false);
}

void CommandLineParser::Parse(std::wstring_view line, bool addProgramPath)
{
    std::vector<std::wstring> words;
    if (addProgramPath) words.push_back(support::esGetModuleFileName(nullptr));
    for (std::wstring& word : services::SplitCommandLine(line))
        words.push_back(std::move(word));
    words_ = std::move(words);
}

HRESULT CommandLineParser::get_Count(LONG* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = words_.empty() ? 0 : static_cast<LONG>(words_.size() - 1);
    });
}

HRESULT CommandLineParser::get_Item(LONG Index, BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        if (Index < -1) support::Raise(support::err::SubscriptOutOfRange);
        if (words_.empty() && Index == -1) {
            *Result = support::Bstr(support::esGetModuleFileName(nullptr)).release();
            return;
        }
        // Index -1 is the first word; computed in 64 bits so that no index wraps.
        const long long position = static_cast<long long>(Index) + 1;
        if (position >= static_cast<long long>(words_.size()))
            support::Raise(support::err::SubscriptOutOfRange);
        *Result = support::Bstr(words_[static_cast<size_t>(position)]).release();
    });
}

HRESULT CommandLineParser::SetNewCommandLine(BSTR NewCommandLine, VARIANT_BOOL AddDummyEXEModuleName)
{
    return GuardMethod(
        [&] { Parse(support::BstrView(NewCommandLine), AddDummyEXEModuleName != VARIANT_FALSE); });
}

} // namespace verrick
