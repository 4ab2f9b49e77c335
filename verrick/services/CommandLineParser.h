#pragma once
// CommandLineParser: the words of a command line, the program first. Item
// hides the program: index -1 is the program, 0 the first argument. Handed
// out by tlvMain.CommandLine; clients cannot create one themselves.

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "Velmora.h"
#include "verrick/com/com_object.h"

namespace verrick {

class CommandLineParser final : public DispatchObject<CommandLineParser, _CommandLineParser> {
public:
    static constexpr std::wstring_view ErrorSource = L"Velmora.CommandLineParser";

    // Holds the words of the process's own command line, the program as typed.
    CommandLineParser();

    HRESULT STDMETHODCALLTYPE get_Count(LONG* Result) override;
    HRESULT STDMETHODCALLTYPE get_Item(LONG Index, BSTR* Result) override;
    HRESULT STDMETHODCALLTYPE SetNewCommandLine(BSTR NewCommandLine,
                                                VARIANT_BOOL AddDummyEXEModuleName) override;

private:
    void Parse(std::wstring_view line, bool addProgramPath);

    std::vector<std::wstring> words_;
};

} // namespace verrick
