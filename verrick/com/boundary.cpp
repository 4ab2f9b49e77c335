#include "verrick/com/boundary.h"

namespace verrick {

HRESULT ReportError(REFIID iid, std::wstring_view defaultSource, const support::RuntimeError& error) noexcept
{
    std::wstring_view source = error.Source().empty() ? defaultSource : std::wstring_view(error.Source());
    return support::SetThreadErrorInfo(iid, source, error.Description(),
                                       support::HresultOfErrorNumber(error.Number()));
}

HRESULT ReportUnexpected(REFIID iid, std::wstring_view defaultSource) noexcept
{
    return support::SetThreadErrorInfo(iid, defaultSource, L"Unexpected internal error", E_UNEXPECTED);
}

void RaiseNotImplemented(std::wstring_view member)
{
    support::Raise(static_cast<long>(E_NOTIMPL),
                   std::wstring(member) + L" is not available in this version of the library");
}

} // namespace verrick
