#include "verrick/clipboard/tlvClipboard.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "support/as.h"
#include "support/com.h"
#include "support/es.h"
#include "support/handles.h"
#include "support/runtime_error.h"
#include "support/text.h"
#include "verrick/clipboard/drop_files.h"
#include "verrick/clipboard/html_block.h"
#include "verrick/clipboard/raw_data.h"
#include "verrick/com/collection.h"
#include "verrick/com/collection_access.h"
#include "verrick/com/vb_values.h"

namespace verrick {
namespace {

using support::Bstr;
using support::UniqueGlobal;

// Blocks for text, HTML and the locale: zero-filled, shareable, fixed.
constexpr UINT kSharedZeroed = GMEM_SHARE | GMEM_ZEROINIT;
// Blocks for raw data: fixed.
constexpr UINT kFixed = 0;

// A block of size + spare bytes holding the given bytes; empty when it cannot be had.
UniqueGlobal MakeBlock(UINT flags, const void* bytes, size_t size, size_t spare = 0)
{
    UniqueGlobal block(::GlobalAlloc(flags, size + spare));
    if (!block) return block;
    support::GlobalLock<char> lock(block.get());
    if (!lock) return UniqueGlobal();
    if (size) std::memcpy(lock.get(), bytes, size);
    return block;
}

// Hands a block to the clipboard, which owns it once it accepts it; a refused block is freed here.
bool Hand(UINT format, UniqueGlobal block) noexcept
{
    if (!block) return false;
    if (!::SetClipboardData(format, block.get())) return false;
    block.release();
    return true;
}

// The bytes of a clipboard block, as many as its memory holds; none when it cannot be read.
std::optional<std::string> ReadBlock(HANDLE data)
{
    if (!data) return std::nullopt;
    support::GlobalLock<const char> lock(data);
    if (!lock) return std::nullopt;
    return std::string(lock.get(), lock.size());
}

// The clipboard's block in a format, read while the clipboard is open.
std::optional<std::string> ReadFormat(UINT format)
{
    if (!::IsClipboardFormatAvailable(format)) return std::nullopt;
    support::OpenedClipboard clipboard;
    if (!clipboard.IsOpen()) return std::nullopt;
    return ReadBlock(::GetClipboardData(format));
}

bool SetBytes(UINT format, const std::string& bytes)
{
    UniqueGlobal block = MakeBlock(kFixed, bytes.data(), bytes.size());
    if (!block) return false;
    support::OpenedClipboard clipboard;
    return clipboard.IsOpen() && Hand(format, std::move(block));
}

bool SetLocale(UINT flags)
{
    const LCID locale = ::GetThreadLocale();
    static_assert(sizeof(locale) == 4);
    return Hand(CF_LOCALE, MakeBlock(flags, &locale, sizeof locale));
}

// Text up to its first NUL, or the whole of it.
template <typename Char> std::basic_string_view<Char> UpToNul(std::basic_string_view<Char> text)
{
    return text.substr(0, text.find(Char{0}));
}

// Whether a caller's array may be destroyed and replaced by another: not while
// it is locked, nor when it is of fixed size or its memory is not its own.
bool CanReplace(const SAFEARRAY* array) noexcept
{
    constexpr USHORT kNotOwned = FADF_AUTO | FADF_STATIC | FADF_EMBEDDED | FADF_FIXEDSIZE;
    return !array || (array->cLocks == 0 && !(array->fFeatures & kNotOwned));
}

void Put(VARIANT_BOOL* result, bool value)
{
    if (!result) support::Raise(support::err::InvalidProcedureCall);
    *result = value ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

UINT tlvClipboard::HtmlFormat() noexcept
{
    if (!htmlFormat_) htmlFormat_ = ::RegisterClipboardFormatW(L"HTML Format");
    return htmlFormat_;
}

HRESULT tlvClipboard::Clear(VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        support::OpenedClipboard clipboard;
        Put(Result, clipboard.IsOpen() && ::EmptyClipboard());
    });
}

HRESULT tlvClipboard::get_CF_HTML(LONG* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = static_cast<LONG>(HtmlFormat());
    });
}

HRESULT tlvClipboard::SetHTML(BSTR HTMLFragment, BSTR ContextHTMLStart, BSTR ContextHTMLEnd,
                              VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        Put(Result, false);
        const std::wstring_view fragment = support::BstrView(HTMLFragment);
        if (fragment.empty()) return;
        const UINT format = HtmlFormat();
        if (!format) return;
        // The contexts are taken by value: the caller's variables never change.
        const std::wstring_view start = support::BstrView(ContextHTMLStart);
        const std::wstring_view end = support::BstrView(ContextHTMLEnd);
        const std::string block = clipboard::BuildHtmlBlock(support::ToUtf8(start), support::ToUtf8(fragment),
                                                            support::ToUtf8(end));
        support::OpenedClipboard clipboard;
        if (!clipboard.IsOpen()) return;
        Put(Result, Hand(format, MakeBlock(kSharedZeroed, block.data(), block.size(), 1)));
    });
}

HRESULT tlvClipboard::GetHTML(GetHTMLReturnValue ReturnValue, BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        const long selector = static_cast<long>(ReturnValue);
        if (selector < 0 || selector > 6) return;
        const UINT format = HtmlFormat();
        if (!format) return;
        const std::optional<std::string> block = ReadFormat(format);
        if (!block) return;
        const clipboard::HtmlSelection part =
            clipboard::SelectHtmlPart(*block, static_cast<clipboard::HtmlPart>(selector));
        switch (part.status) {
        case clipboard::HtmlSelection::Status::NotNumeric: support::Raise(support::err::TypeMismatch);
        case clipboard::HtmlSelection::Status::EndBeforeStart:
            support::Raise(support::err::InvalidProcedureCall);
        case clipboard::HtmlSelection::Status::Ok: break;
        }
        *Result = Bstr(support::FromUtf8(part.In(*block))).release();
    });
}

HRESULT tlvClipboard::SetText(BSTR Text, VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        Put(Result, false);
        const std::wstring_view text = support::BstrView(Text);
        support::OpenedClipboard clipboard;
        if (!clipboard.IsOpen()) return;
        if (support::esIsHostWinNT()) {
            std::wstring unicode(text);
            unicode += L'\0';
            if (!Hand(CF_UNICODETEXT,
                      MakeBlock(kSharedZeroed, unicode.data(), unicode.size() * sizeof(wchar_t), 1)))
                return;
        }
        const std::string ansi = support::ToAnsi(text) + '\0';
        if (!Hand(CF_TEXT, MakeBlock(kSharedZeroed, ansi.data(), ansi.size(), 1))) return;
        const std::string oem = support::ToOem(text) + '\0';
        if (!Hand(CF_OEMTEXT, MakeBlock(kSharedZeroed, oem.data(), oem.size(), 1))) return;
        if (!SetLocale(kSharedZeroed)) return;
        Put(Result, true);
    });
}

HRESULT tlvClipboard::GetText(VARIANT_BOOL ReturnANSIText, BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        support::OpenedClipboard clipboard;
        if (!clipboard.IsOpen()) return;
        if (::IsClipboardFormatAvailable(CF_UNICODETEXT) && ReturnANSIText == VARIANT_FALSE) {
            // Tells later readers of the ANSI forms which locale the text is in; a refusal does not matter.
            SetLocale(kFixed);
            const std::optional<std::string> block = ReadBlock(::GetClipboardData(CF_UNICODETEXT));
            if (!block) return;
            const std::wstring_view text(reinterpret_cast<const wchar_t*>(block->data()),
                                         block->size() / sizeof(wchar_t));
            *Result = Bstr(UpToNul(text)).release();
        } else if (::IsClipboardFormatAvailable(CF_TEXT)) {
            const std::optional<std::string> block = ReadBlock(::GetClipboardData(CF_TEXT));
            if (!block) return;
            *Result = Bstr(support::FromAnsi(UpToNul(std::string_view(*block)))).release();
        }
    });
}

HRESULT tlvClipboard::IsFormatAvailable(LONG ClipboardFormat, VARIANT_BOOL* Result)
{
    return GuardMethod(
        [&] { Put(Result, ::IsClipboardFormatAvailable(static_cast<UINT>(ClipboardFormat))); });
}

HRESULT tlvClipboard::SetRAWData(LONG FormatID, SAFEARRAY** Data, VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        Put(Result, false);
        SAFEARRAY* array = Data ? *Data : nullptr;
        LONG lower = 0, upper = -1;
        if (!array || ::SafeArrayGetDim(array) != 1 || ::SafeArrayGetElemsize(array) != 1 ||
            FAILED(::SafeArrayGetLBound(array, 1, &lower)) || FAILED(::SafeArrayGetUBound(array, 1, &upper)))
            return;
        const LONGLONG count = static_cast<LONGLONG>(upper) - lower + 1;
        if (count <= 0) return;
        support::SafeArrayData<char> bytes(array);
        if (!bytes) return;
        Put(Result,
            SetBytes(static_cast<UINT>(FormatID), std::string(bytes.get(), static_cast<size_t>(count))));
    });
}

HRESULT tlvClipboard::GetRAWData(LONG FormatID, SAFEARRAY** Data, LONG* lpDataSize, VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        Put(Result, false);
        const UINT format = static_cast<UINT>(FormatID);
        if (!Data || !clipboard::IsMemoryFormat(format) || !::IsClipboardFormatAvailable(format)) return;
        support::OpenedClipboard clipboard;
        if (!clipboard.IsOpen()) return;
        const HANDLE data = ::GetClipboardData(format);
        if (!data) return;
        // The size is the memory block's, which may exceed the data; a Long in the type library.
        const std::optional<std::int32_t> length = clipboard::ByteArrayLength(::GlobalSize(data));
        if (!length) return;
        if (lpDataSize) *lpDataSize = *length;
        if (!CanReplace(*Data)) return;
        SAFEARRAYBOUND bound{static_cast<ULONG>(*length), 0};
        support::SafeArray bytes(::SafeArrayCreate(VT_UI1, 1, &bound));
        if (!bytes) return;
        if (*length > 0) {
            support::GlobalLock<const char> from(data);
            support::SafeArrayData<char> to(bytes.get());
            if (!from || !to) return;
            std::memcpy(to.get(), from.get(), static_cast<size_t>(*length));
        }
        if (*Data && FAILED(::SafeArrayDestroy(*Data))) return;
        *Data = bytes.release();
        Put(Result, true);
    });
}

HRESULT tlvClipboard::GetFormatName(LONG FormatID, BSTR* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        std::wstring name(1025, L'\0');
        const int length = ::GetClipboardFormatNameW(static_cast<UINT>(FormatID), name.data(), 1024);
        name.resize(length > 0 ? static_cast<size_t>(length) : 0);
        *Result = Bstr(UpToNul(std::wstring_view(name))).release();
    });
}

HRESULT tlvClipboard::GetFormatsCount(LONG* Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = ::CountClipboardFormats();
    });
}

HRESULT tlvClipboard::GetFormats(_Collection** Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        support::OpenedClipboard clipboard;
        if (!clipboard.IsOpen()) return;
        auto formats = MakeObject<Collection>();
        for (UINT format = ::EnumClipboardFormats(0); format; format = ::EnumClipboardFormats(format))
            formats->Append(support::Variant::Long(static_cast<LONG>(format)));
        *Result = formats.release();
    });
}

HRESULT tlvClipboard::SetShellFiles(IDispatch** FileNames, VARIANT_BOOL Unicode, VARIANT_BOOL* Result)
{
    return GuardMethod([&] {
        Put(Result, false);
        IDispatch* names = FileNames ? *FileNames : nullptr;
        if (!names) return;
        CollectionAccess list(names);
        const long count = list.Count();
        if (count <= 0) return;
        std::string block;
        if (Unicode != VARIANT_FALSE) {
            std::vector<std::u16string> paths;
            for (long i = 1; i <= count; ++i) {
                const std::wstring path = vb::ToText(*list.Item(i));
                paths.emplace_back(path.begin(), path.end());
            }
            block = clipboard::BuildDropFilesBlock(paths);
        } else {
            std::vector<std::string> paths;
            for (long i = 1; i <= count; ++i)
                paths.push_back(support::ToAnsi(vb::ToText(*list.Item(i))));
            block = clipboard::BuildDropFilesBlock(paths);
        }
        Put(Result, SetBytes(CF_HDROP, block));
    });
}

HRESULT tlvClipboard::GetShellFiles(_Collection** Result)
{
    return GuardMethod([&] {
        if (!Result) support::Raise(support::err::InvalidProcedureCall);
        *Result = nullptr;
        const std::optional<std::string> block = ReadFormat(CF_HDROP);
        if (!block) return;
        const clipboard::DropFilesList list = clipboard::ReadDropFilesBlock(*block);
        if (!list.valid) return;
        auto paths = MakeObject<Collection>();
        auto add = [&](const std::wstring& path) {
            // Blank pieces are the spare bytes of the block, not paths.
            if (!support::asTrimEx(path).empty()) paths->Append(support::Variant::Text(path));
        };
        for (const std::u16string& path : list.widePaths)
            add(std::wstring(path.begin(), path.end()));
        for (const std::string& path : list.ansiPaths)
            add(support::FromAnsi(path));
        *Result = paths.release();
    });
}

} // namespace verrick
