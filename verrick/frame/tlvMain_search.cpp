// tlvMain: searches over arrays and collections.

#include <climits>
#include <optional>

#include "support/com.h"
#include "support/runtime_error.h"
#include "verrick/com/collection_access.h"
#include "verrick/frame/tlvMain.h"
#include "verrick/com/vb_values.h"

namespace verrick {
namespace {

using support::Variant;

// Walks ArrayX(first..last) upward and returns the first index whose element
// matches, or LBound - 1. Indices outside the array raise 9, as ArrayX(i) would.
template <typename Element, typename Match>
LONG SearchArray(SAFEARRAY** arrayX, VARTYPE type, const VARIANT& startAt, const VARIANT& endAt,
                 Match&& match, bool& found)
{
    found = false;
    SAFEARRAY* array = arrayX ? *arrayX : nullptr;
    // LBound of an unallocated array.
    if (!array || ::SafeArrayGetDim(array) == 0) support::Raise(support::err::SubscriptOutOfRange);
    VARTYPE actual = VT_EMPTY;
    if (FAILED(::SafeArrayGetVartype(array, &actual)) || actual != type)
        support::Raise(support::err::TypeMismatch);
    LONG lower = 0, upper = -1;
    ::SafeArrayGetLBound(array, 1, &lower);
    ::SafeArrayGetUBound(array, 1, &upper);
    if (lower == LONG_MIN) support::Raise(support::err::Overflow);
    const LONG notFound = lower - 1;

    const LONGLONG first = vb::IsMissing(startAt) ? lower : vb::ToLong(startAt);
    const LONGLONG last = vb::IsMissing(endAt) ? upper : vb::ToLong(endAt);
    if (first > last) return notFound;
    // One subscript on an array of more dimensions is out of range.
    if (::SafeArrayGetDim(array) != 1) support::Raise(support::err::SubscriptOutOfRange);

    support::SafeArrayData<Element> data(array);
    if (!data) support::Raise(support::err::SubscriptOutOfRange);
    for (LONGLONG i = first; i <= last; ++i) {
        if (i < lower || i > upper) support::Raise(support::err::SubscriptOutOfRange);
        if (match(data[static_cast<size_t>(i - lower)])) {
            found = true;
            return static_cast<LONG>(i);
        }
    }
    return notFound;
}

// Walks Collection(first..last) upward; 0 when nothing matches.
template <typename Match>
LONG SearchCollection(IDispatch** collection, const VARIANT& startAt, const VARIANT& endAt, Match&& match,
                      bool& found)
{
    found = false;
    CollectionAccess items(collection ? *collection : nullptr);
    const LONGLONG first = vb::IsMissing(startAt) ? 1 : vb::ToLong(startAt);
    const LONGLONG last = vb::IsMissing(endAt) ? items.Count() : vb::ToLong(endAt);
    for (LONGLONG i = first; i <= last; ++i) {
        if (match(*items.Item(static_cast<LONG>(i)))) {
            found = true;
            return static_cast<LONG>(i);
        }
    }
    return 0;
}

LONG FindLong(SAFEARRAY** arrayX, LONG findWhat, const VARIANT& startAt, const VARIANT& endAt, bool& found)
{
    return SearchArray<LONG>(
        arrayX, VT_I4, startAt, endAt, [&](LONG element) { return element == findWhat; }, found);
}

LONG FindString(SAFEARRAY** arrayX, BSTR findWhat, const VARIANT& startAt, const VARIANT& endAt,
                bool ignoreCase, bool& found)
{
    std::wstring_view wanted = support::BstrView(findWhat);
    return SearchArray<BSTR>(
        arrayX, VT_BSTR, startAt, endAt,
        [&](BSTR element) { return vb::SameText(support::BstrView(element), wanted, ignoreCase); }, found);
}

LONG FindItem(IDispatch** collection, const VARIANT& findWhat, const VARIANT& startAt, const VARIANT& endAt,
              bool& found)
{
    return SearchCollection(
        collection, startAt, endAt, [&](const VARIANT& item) { return vb::Equals(findWhat, item); }, found);
}

LONG FindItemText(IDispatch** collection, const VARIANT& findWhat, const VARIANT& startAt,
                  const VARIANT& endAt, bool ignoreCase, bool& found)
{
    // FindWhat is converted at the first comparison, as the loop would.
    std::optional<std::wstring> wanted;
    return SearchCollection(
        collection, startAt, endAt,
        [&](const VARIANT& item) {
            if (!wanted) wanted = vb::ToText(findWhat);
            return vb::SameText(vb::ToText(item), *wanted, ignoreCase);
        },
        found);
}

void Report(VARIANT_BOOL* isFound, bool found) noexcept
{
    if (isFound) *isFound = found ? VARIANT_TRUE : VARIANT_FALSE;
}

void Report(VARIANT* isFound, bool found) noexcept
{
    vb::AssignBool(isFound, found);
}

// Runs a search, then writes IsFound: False when the search raises. Written
// only once the search is over, since IsFound may be the very variable that
// holds the array or collection being searched.
template <typename Flag, typename Search> LONG SearchReporting(Flag* isFound, Search&& search)
{
    bool found = false;
    LONG result = 0;
    try {
        result = search(found);
    } catch (...) {
        Report(isFound, false);
        throw;
    }
    Report(isFound, found);
    return result;
}

} // namespace

HRESULT tlvMain::InArrayLong(SAFEARRAY** ArrayX, LONG FindWhat, VARIANT StartAt, VARIANT EndAt,
                             VARIANT_BOOL* IsFound, LONG* Result)
{
    return GuardMethod([&] {
        LONG result = SearchReporting(
            IsFound, [&](bool& found) { return FindLong(ArrayX, FindWhat, StartAt, EndAt, found); });
        if (Result) *Result = result;
    });
}

HRESULT tlvMain::IsInArrayLong(SAFEARRAY** ArrayX, LONG FindWhat, VARIANT StartAt, VARIANT EndAt,
                               VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        SearchReporting(Result,
                        [&](bool& found) { return FindLong(ArrayX, FindWhat, StartAt, EndAt, found); });
    });
}

HRESULT tlvMain::InArrayString(SAFEARRAY** ArrayX, BSTR FindWhat, VARIANT StartAt, VARIANT EndAt,
                               VARIANT* IsFound, LONG* Result)
{
    return GuardMethod([&] {
        LONG result = SearchReporting(
            IsFound, [&](bool& found) { return FindString(ArrayX, FindWhat, StartAt, EndAt, false, found); });
        if (Result) *Result = result;
    });
}

HRESULT tlvMain::IsInArrayString(SAFEARRAY** ArrayX, BSTR FindWhat, VARIANT StartAt, VARIANT EndAt,
                                 VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        SearchReporting(
            Result, [&](bool& found) { return FindString(ArrayX, FindWhat, StartAt, EndAt, false, found); });
    });
}

HRESULT tlvMain::InArrayStringText(SAFEARRAY** ArrayX, BSTR FindWhat, VARIANT StartAt, VARIANT EndAt,
                                   VARIANT* IsFound, LONG* Result)
{
    return GuardMethod([&] {
        LONG result = SearchReporting(
            IsFound, [&](bool& found) { return FindString(ArrayX, FindWhat, StartAt, EndAt, true, found); });
        if (Result) *Result = result;
    });
}

HRESULT tlvMain::IsInArrayStringText(SAFEARRAY** ArrayX, BSTR FindWhat, VARIANT StartAt, VARIANT EndAt,
                                     VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        SearchReporting(
            Result, [&](bool& found) { return FindString(ArrayX, FindWhat, StartAt, EndAt, true, found); });
    });
}

HRESULT tlvMain::InCollection(IDispatch** Collection, VARIANT FindWhat, VARIANT StartAt, VARIANT EndAt,
                              VARIANT_BOOL* IsFound, LONG* Result)
{
    return GuardMethod([&] {
        LONG result = SearchReporting(
            IsFound, [&](bool& found) { return FindItem(Collection, FindWhat, StartAt, EndAt, found); });
        if (Result) *Result = result;
    });
}

HRESULT tlvMain::IsInCollection(IDispatch** Collection, VARIANT FindWhat, VARIANT StartAt, VARIANT EndAt,
                                VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        SearchReporting(Result,
                        [&](bool& found) { return FindItem(Collection, FindWhat, StartAt, EndAt, found); });
    });
}

HRESULT tlvMain::InCollectionString(IDispatch** Collection, VARIANT FindWhat, VARIANT StartAt, VARIANT EndAt,
                                    VARIANT_BOOL* IsFound, LONG* Result)
{
    return GuardMethod([&] {
        LONG result = SearchReporting(IsFound, [&](bool& found) {
            return FindItemText(Collection, FindWhat, StartAt, EndAt, false, found);
        });
        if (Result) *Result = result;
    });
}

HRESULT tlvMain::IsInCollectionString(IDispatch** Collection, VARIANT FindWhat, VARIANT StartAt,
                                      VARIANT EndAt, VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        SearchReporting(Result, [&](bool& found) {
            return FindItemText(Collection, FindWhat, StartAt, EndAt, false, found);
        });
    });
}

HRESULT tlvMain::InCollectionStringText(IDispatch** Collection, VARIANT FindWhat, VARIANT StartAt,
                                        VARIANT EndAt, VARIANT_BOOL* IsFound, LONG* Result)
{
    return GuardMethod([&] {
        LONG result = SearchReporting(IsFound, [&](bool& found) {
            return FindItemText(Collection, FindWhat, StartAt, EndAt, true, found);
        });
        if (Result) *Result = result;
    });
}

HRESULT tlvMain::IsInCollectionStringText(IDispatch** Collection, VARIANT FindWhat, VARIANT StartAt,
                                          VARIANT EndAt, VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        SearchReporting(Result, [&](bool& found) {
            return FindItemText(Collection, FindWhat, StartAt, EndAt, true, found);
        });
    });
}

} // namespace verrick
