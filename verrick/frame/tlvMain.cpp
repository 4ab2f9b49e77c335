#include "verrick/frame/tlvMain.h"

#include <optional>
#include <string>
#include <vector>

#include "support/values.h"
#include "support/com.h"
#include "support/runtime_error.h"
#include "verrick/com/collection.h"
#include "verrick/com/collection_access.h"
#include "verrick/com/vb_values.h"
#include "verrick/services/CommandLineParser.h"

namespace verrick {
namespace {

using support::Bstr;
using support::SafeArray;
using support::SafeArrayData;
using support::Variant;

// The bounds of a ParamArray; empty when no argument was given.
struct ArgumentList {
    SAFEARRAY* array = nullptr;
    LONG lower = 0;
    LONG upper = -1;
    ULONG Count() const noexcept { return upper >= lower ? static_cast<ULONG>(upper - lower + 1) : 0; }
};

ArgumentList ArgumentsOf(SAFEARRAY** args) noexcept
{
    ArgumentList list;
    if (!args || !*args || ::SafeArrayGetDim(*args) != 1) return list;
    VARTYPE type = VT_EMPTY;
    if (FAILED(::SafeArrayGetVartype(*args, &type)) || type != VT_VARIANT) return list;
    list.array = *args;
    ::SafeArrayGetLBound(list.array, 1, &list.lower);
    ::SafeArrayGetUBound(list.array, 1, &list.upper);
    return list;
}

using support::IgnoringErrors;

// The arguments, each converted, in a typed array with the same bounds; an
// argument that does not convert leaves its element empty. No arguments: the
// array cannot be dimensioned and stays unallocated (null).
template <typename Element, typename Convert>
SAFEARRAY* ConvertedArray(SAFEARRAY** arguments, VARTYPE type, Convert convert)
{
    ArgumentList args = ArgumentsOf(arguments);
    if (args.Count() == 0) return nullptr;
    SafeArray converted = SafeArray::Vector(type, args.lower, args.Count());
    {
        SafeArrayData<VARIANT> from(args.array);
        SafeArrayData<Element> to(converted.get());
        for (ULONG i = 0; i < args.Count(); ++i)
            IgnoringErrors([&] { to[i] = convert(from[i]); });
    }
    return converted.release();
}

// Split() of the runtime: at most limit parts (-1: no limit), the rest in the last one.
std::vector<std::wstring> SplitText(std::wstring_view text, std::wstring_view delimiter, LONG limit,
                                    LONG compare)
{
    if (limit < -1 || (compare != 0 && compare != 1)) support::Raise(support::err::InvalidProcedureCall);
    std::vector<std::wstring> parts;
    if (text.empty() || limit == 0) return parts;
    if (delimiter.empty()) {
        parts.emplace_back(text);
        return parts;
    }
    // Upper-casing keeps every position, so a case-insensitive search can run on copies.
    std::wstring foldedText, foldedDelimiter;
    std::wstring_view haystack = text, needle = delimiter;
    if (compare == 1) {
        foldedText = support::UpperText(text);
        foldedDelimiter = support::UpperText(delimiter);
        haystack = foldedText;
        needle = foldedDelimiter;
    }
    size_t start = 0;
    while (limit == -1 || parts.size() + 1 < static_cast<size_t>(limit)) {
        size_t found = haystack.find(needle, start);
        if (found == std::wstring_view::npos) break;
        parts.emplace_back(text.substr(start, found - start));
        start = found + needle.size();
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

} // namespace

HRESULT tlvMain::CommandLine(_CommandLineParser** Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        if (!commandLine_)
            commandLine_ =
                support::ComPtr<_CommandLineParser>::Attach(MakeObject<CommandLineParser>().release());
        commandLine_->AddRef();
        *Result = commandLine_.get();
    });
}

HRESULT tlvMain::ArrayString(SAFEARRAY** Args, SAFEARRAY** Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        *Result = ConvertedArray<BSTR>(Args, VT_BSTR,
                                       [](const VARIANT& v) { return Bstr(vb::ToText(v)).release(); });
    });
}

HRESULT tlvMain::ArrayLong(SAFEARRAY** Args, SAFEARRAY** Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        *Result = ConvertedArray<LONG>(Args, VT_I4, [](const VARIANT& v) { return vb::ToLong(v); });
    });
}

HRESULT tlvMain::Collection(SAFEARRAY** Args, _Collection** Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        auto items = MakeObject<verrick::Collection>();
        ArgumentList args = ArgumentsOf(Args);
        if (args.Count() > 0) {
            SafeArrayData<VARIANT> from(args.array);
            items->Reserve(args.Count());
            for (ULONG i = 0; i < args.Count(); ++i) {
                // Keys "1", "2"...: the count before the item plus one.
                IgnoringErrors([&] { items->Append(from[i], std::to_wstring(items->Size() + 1)); });
            }
        }
        *Result = items.release();
    });
}

HRESULT tlvMain::JoinCollection(IDispatch** SourceCollection, BSTR Delimiter, VARIANT_BOOL RaiseErrors,
                                BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        const bool raise = RaiseErrors != VARIANT_FALSE;
        auto attempt = [&](auto&& step) {
            if (raise)
                step();
            else
                IgnoringErrors(step);
        };
        std::optional<CollectionAccess> source;
        long count = 0;
        attempt([&] {
            source.emplace(SourceCollection ? *SourceCollection : nullptr);
            count = source->Count();
        });
        const std::wstring_view delimiter = support::BstrView(Delimiter);
        std::wstring text;
        for (long i = 1; i <= count; ++i) {
            // An item that fails contributes nothing; its delimiter is still written.
            attempt([&] { text += vb::ToText(*source->Item(i)); });
            if (i < count) text += delimiter;
        }
        *Result = Bstr(text).release();
    });
}

HRESULT tlvMain::SplitCollection(BSTR Expression, VARIANT Delimiter, LONG Limit, LONG Compare,
                                 VARIANT_BOOL RaiseErrors, _Collection** Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        auto items = MakeObject<verrick::Collection>();
        try {
            std::wstring delimiter = vb::IsMissing(Delimiter) ? std::wstring(L" ") : vb::ToText(Delimiter);
            std::vector<std::wstring> parts =
                SplitText(support::BstrView(Expression), delimiter, Limit, Compare);
            items->Reserve(parts.size());
            for (const std::wstring& part : parts)
                items->Append(Variant::Text(part));
        } catch (const support::RuntimeError&) {
            if (RaiseErrors != VARIANT_FALSE) throw;
            // A failed split leaves no parts.
            items = MakeObject<verrick::Collection>();
        }
        *Result = items.release();
    });
}

} // namespace verrick
