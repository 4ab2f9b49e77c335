// tlvClipboard on the real clipboard: its own blocks byte for byte, and
// blocks other programs may leave there, damaged ones included.
#include <doctest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "server.h"
#include "support/handles.h"

using namespace verrick_test;

namespace {

constexpr HRESULT kInvalidProcedureCall = MAKE_HRESULT(1, FACILITY_CONTROL, 5);
constexpr HRESULT kTypeMismatch = MAKE_HRESULT(1, FACILITY_CONTROL, 13);

ComPtr<_tlvClipboard> CreateClipboard()
{
    ComPtr<_tlvClipboard> clipboard = Create<_tlvClipboard>(CLSID_tlvClipboard);
    REQUIRE(clipboard);
    return clipboard;
}

// Puts a block of exactly these bytes on the emptied clipboard, as another program might.
void PlaceBlock(UINT format, const std::string& bytes)
{
    support::UniqueGlobal block(::GlobalAlloc(GMEM_FIXED, bytes.size()));
    REQUIRE(block);
    if (!bytes.empty()) {
        support::GlobalLock<char> lock(block.get());
        REQUIRE(lock);
        std::memcpy(lock.get(), bytes.data(), bytes.size());
    }
    support::OpenedClipboard clipboard;
    REQUIRE(clipboard.IsOpen());
    ::EmptyClipboard();
    REQUIRE(::SetClipboardData(format, block.get()) != nullptr);
    block.release();
}

// The bytes of a clipboard format through GetRAWData, with the size it reports.
std::string RawData(_tlvClipboard* clipboard, LONG format, LONG* size = nullptr)
{
    SafeArray data;
    LONG reported = -1;
    VARIANT_BOOL ok = VARIANT_FALSE;
    REQUIRE(clipboard->GetRAWData(format, data.put(), &reported, &ok) == S_OK);
    REQUIRE(ok == VARIANT_TRUE);
    if (size) *size = reported;
    support::SafeArrayData<char> bytes(data.get());
    LONG upper = -1;
    ::SafeArrayGetUBound(data.get(), 1, &upper);
    return std::string(bytes.get(), static_cast<size_t>(upper + 1));
}

std::wstring GetHtml(_tlvClipboard* clipboard, GetHTMLReturnValue part, HRESULT expected = S_OK)
{
    Bstr text;
    const HRESULT hr = clipboard->GetHTML(part, text.put());
    CHECK_MESSAGE(hr == expected, "HRESULT ", static_cast<unsigned long>(hr));
    return std::wstring(support::BstrView(text.get()));
}

bool SetHtml(_tlvClipboard* clipboard, const wchar_t* fragment, const wchar_t* start = L"<HTML><BODY>",
             const wchar_t* end = L"</BODY></HTML>")
{
    Bstr contextStart(start), contextEnd(end);
    VARIANT_BOOL ok = VARIANT_FALSE;
    REQUIRE(clipboard->SetHTML(Bstr(fragment).get(), contextStart.get(), contextEnd.get(), &ok) == S_OK);
    return ok == VARIANT_TRUE;
}

ComPtr<_Collection> Paths(const wchar_t* joined)
{
    ComPtr<_tlvMain> main = CreateMain();
    ComPtr<_Collection> paths;
    REQUIRE(main->SplitCollection(Bstr(joined).get(), *Variant::Text(L"|"), -1, 0, VARIANT_FALSE,
                                  paths.put()) == S_OK);
    return paths;
}

std::vector<std::wstring> ShellFiles(_tlvClipboard* clipboard, bool* isCollection = nullptr)
{
    ComPtr<_Collection> files;
    REQUIRE(clipboard->GetShellFiles(files.put()) == S_OK);
    if (isCollection) *isCollection = static_cast<bool>(files);
    std::vector<std::wstring> paths;
    if (!files) return paths;
    long count = 0;
    files->Count(&count);
    for (long i = 1; i <= count; ++i) {
        Variant item;
        files->Item(*Variant::Long(i), item.put());
        paths.emplace_back(support::BstrView(item.get()->bstrVal));
    }
    return paths;
}

LONG HtmlFormat(_tlvClipboard* clipboard)
{
    LONG format = 0;
    REQUIRE(clipboard->get_CF_HTML(&format) == S_OK);
    REQUIRE(format != 0);
    return format;
}

} // namespace

TEST_CASE("tlvClipboard::Html")
{
    Com com;
    ComPtr<_tlvClipboard> clipboard = CreateClipboard();
    const LONG format = HtmlFormat(clipboard.get());
    Bstr name;
    REQUIRE(clipboard->GetFormatName(format, name.put()) == S_OK);
    CHECK(std::wstring(support::BstrView(name.get())) == L"HTML Format");

    VARIANT_BOOL cleared = VARIANT_FALSE;
    REQUIRE(clipboard->Clear(&cleared) == S_OK);
    CHECK(cleared == VARIANT_TRUE);
    REQUIRE(SetHtml(clipboard.get(), L"abc"));
    LONG size = 0;
    const std::string block = RawData(clipboard.get(), format, &size);
    CHECK(size >= 174);
    CHECK(block.substr(0, 174) == "Version:1.0\r\nStartHTML:0000000105\r\nEndHTML:0000000173\r\n"
                                  "StartFragment:0000000137\r\nEndFragment:0000000140\r\n"
                                  "<HTML><BODY><!--StartFragment-->abc<!--EndFragment--></BODY></HTML>" +
                                      std::string(2, '\0'));
    CHECK(GetHtml(clipboard.get(), ghrvFragment) == L"abc");
    CHECK(GetHtml(clipboard.get(), ghrvContextStart) == L"<HTML><BODY><!--StartFragment-->");
    CHECK(GetHtml(clipboard.get(), ghrvContextEnd) == L"<!--EndFragment--></BODY></HTML>");
    CHECK(GetHtml(clipboard.get(), ghrvHTML) ==
          L"<HTML><BODY><!--StartFragment-->abc<!--EndFragment--></BODY></HTML>");
    CHECK(GetHtml(clipboard.get(), ghrvRaw).size() == 172);
    CHECK(GetHtml(clipboard.get(), ghrvSourceURL).empty());
    CHECK(GetHtml(clipboard.get(), static_cast<GetHTMLReturnValue>(7)).empty());
    CHECK(GetHtml(clipboard.get(), static_cast<GetHTMLReturnValue>(-1)).empty());

    SUBCASE("late bound, with the contexts omitted")
    {
        Variant fragment = Variant::Text(L"x");
        const Outcome outcome = CallByName(clipboard.get(), L"SetHTML", {*fragment});
        REQUIRE(outcome.hr == S_OK);
        CHECK(outcome.result.get()->boolVal == VARIANT_TRUE);
        CHECK(GetHtml(clipboard.get(), ghrvHTML) ==
              L"<HTML><BODY><!--StartFragment-->x<!--EndFragment--></BODY></HTML>");
    }
    SUBCASE("Cyrillic and a character outside the BMP, counted in UTF-8 bytes")
    {
        const std::wstring fragment = L"Привет, мир \U0001F600!";
        REQUIRE(SetHtml(clipboard.get(), fragment.c_str(), L"<p title=\"ё\">", L""));
        CHECK(GetHtml(clipboard.get(), ghrvFragment) == fragment);
        CHECK(GetHtml(clipboard.get(), ghrvContextStart) == L"<p title=\"ё\"><!--StartFragment-->");
        const std::string raw = RawData(clipboard.get(), format);
        // 105 + 14 bytes of context + 20 of marker; 9 letters of 2 bytes, 4 of 1, 4 for the emoji.
        CHECK(raw.find("StartFragment:0000000139\r\nEndFragment:0000000165\r\n") != std::string::npos);
    }
    SUBCASE("an empty fragment leaves the clipboard alone")
    {
        const std::string before = RawData(clipboard.get(), format);
        CHECK_FALSE(SetHtml(clipboard.get(), L""));
        CHECK(RawData(clipboard.get(), format) == before);
    }
    SUBCASE("a fragment that reads like the header's placeholders")
    {
        REQUIRE(SetHtml(clipboard.get(), L"aaaaaaaaaa bbbbbbbbbb", L"cccccccccc", L"dddddddddd"));
        CHECK(GetHtml(clipboard.get(), ghrvFragment) == L"aaaaaaaaaa bbbbbbbbbb");
        CHECK(GetHtml(clipboard.get(), ghrvContextEnd) == L"<!--EndFragment-->dddddddddd");
    }
    SUBCASE("other formats stay: only Clear empties")
    {
        VARIANT_BOOL ok = VARIANT_FALSE;
        REQUIRE(clipboard->SetText(Bstr(L"plain").get(), &ok) == S_OK);
        REQUIRE(SetHtml(clipboard.get(), L"<b>x</b>"));
        VARIANT_BOOL available = VARIANT_FALSE;
        clipboard->IsFormatAvailable(CF_UNICODETEXT, &available);
        CHECK(available == VARIANT_TRUE);
        clipboard->IsFormatAvailable(format, &available);
        CHECK(available == VARIANT_TRUE);
        REQUIRE(clipboard->Clear(&cleared) == S_OK);
        LONG count = -1;
        clipboard->GetFormatsCount(&count);
        CHECK(count == 0);
        CHECK(GetHtml(clipboard.get(), ghrvFragment).empty());
    }
}

TEST_CASE("tlvClipboard::ForeignHtmlBlocks")
{
    Com com;
    ComPtr<_tlvClipboard> clipboard = CreateClipboard();
    const UINT format = static_cast<UINT>(HtmlFormat(clipboard.get()));
    const std::string header = "Version:1.0\r\nStartHTML:0000000105\r\nEndHTML:0000000999\r\n";

    SUBCASE("no terminator and offsets past the block: the part ends with the block")
    {
        PlaceBlock(format, header + "StartFragment:0000000105\r\nEndFragment:4294967296\r\n<b>Ж</b>");
        CHECK(GetHtml(clipboard.get(), ghrvFragment) == L"<b>Ж</b>");
        CHECK(GetHtml(clipboard.get(), ghrvHTML) == L"<b>Ж</b>");
    }
    SUBCASE("end offset below start: invalid argument")
    {
        PlaceBlock(format, header + "StartFragment:0000000110\r\nEndFragment:0000000107\r\n<b>x</b>");
        GetHtml(clipboard.get(), ghrvFragment, kInvalidProcedureCall);
        CHECK(GetHtml(clipboard.get(), ghrvHTML) == L"<b>x</b>");
    }
    SUBCASE("a header number that is no number: type mismatch")
    {
        PlaceBlock(format, header + "StartFragment:00000001x5\r\nEndFragment:0000000107\r\n<b>x</b>");
        GetHtml(clipboard.get(), ghrvFragment, kTypeMismatch);
        CHECK(GetHtml(clipboard.get(), ghrvRaw).size() == 113);
    }
    SUBCASE("negative and missing offsets give nothing")
    {
        PlaceBlock(format, "Version:1.0\r\nStartHTML:-000000001\r\nEndHTML:0000000050\r\n<b>x</b>");
        CHECK(GetHtml(clipboard.get(), ghrvHTML).empty());
        CHECK(GetHtml(clipboard.get(), ghrvFragment).empty());
        CHECK(GetHtml(clipboard.get(), ghrvSelection).empty());
    }
    SUBCASE("a source URL in the header")
    {
        PlaceBlock(format, "Version:0.9\r\nStartHTML:108\r\nEndHTML:116\r\nSourceURL:http://example.org/\r\n"
                           "StartFragment:108\r\nEndFragment:116\r\n<b>x</b>");
        CHECK(GetHtml(clipboard.get(), ghrvSourceURL) == L"http://example.org/");
        CHECK(GetHtml(clipboard.get(), ghrvFragment) == L"<b>x</b>");
    }
    SUBCASE("a block of nothing but its terminator")
    {
        PlaceBlock(format, std::string(1, '\0'));
        CHECK(GetHtml(clipboard.get(), ghrvRaw).empty());
        CHECK(GetHtml(clipboard.get(), ghrvFragment).empty());
    }
}

TEST_CASE("tlvClipboard::Text")
{
    Com com;
    ComPtr<_tlvClipboard> clipboard = CreateClipboard();
    VARIANT_BOOL ok = VARIANT_FALSE;
    REQUIRE(clipboard->Clear(&ok) == S_OK);
    REQUIRE(clipboard->SetText(Bstr(L"Text \U0001F600").get(), &ok) == S_OK);
    CHECK(ok == VARIANT_TRUE);
    for (LONG format : {CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT, CF_LOCALE}) {
        VARIANT_BOOL available = VARIANT_FALSE;
        clipboard->IsFormatAvailable(format, &available);
        CHECK_MESSAGE(available == VARIANT_TRUE, format);
    }
    LCID locale = 0;
    std::memcpy(&locale, RawData(clipboard.get(), CF_LOCALE).data(), sizeof locale);
    CHECK(locale == ::GetThreadLocale());
    Bstr text;
    REQUIRE(clipboard->GetText(VARIANT_FALSE, text.put()) == S_OK);
    CHECK(std::wstring(support::BstrView(text.get())) == L"Text \U0001F600");
    REQUIRE(clipboard->GetText(VARIANT_TRUE, text.put()) == S_OK);
    CHECK(support::BstrView(text.get()).substr(0, 6) == L"Text ?");

    SUBCASE("a text block without terminator ends with its memory")
    {
        PlaceBlock(CF_UNICODETEXT, std::string("a\0b\0c", 5));
        REQUIRE(clipboard->GetText(VARIANT_FALSE, text.put()) == S_OK);
        CHECK(std::wstring(support::BstrView(text.get())) == L"ab");
        // Wine puts a NUL in the last byte of an unterminated text block; Windows leaves it.
        PlaceBlock(CF_TEXT, "xyz");
        REQUIRE(clipboard->GetText(VARIANT_TRUE, text.put()) == S_OK);
        const std::wstring ansi(support::BstrView(text.get()));
        CHECK((ansi == L"xy" || ansi == L"xyz"));
    }
    SUBCASE("an empty clipboard gives an empty text")
    {
        REQUIRE(clipboard->Clear(&ok) == S_OK);
        REQUIRE(clipboard->GetText(VARIANT_FALSE, text.put()) == S_OK);
        CHECK(support::BstrView(text.get()).empty());
    }
}

TEST_CASE("tlvClipboard::RawDataAndFormats")
{
    Com com;
    ComPtr<_tlvClipboard> clipboard = CreateClipboard();
    const UINT custom = ::RegisterClipboardFormatW(L"Verrick Test Bytes");
    VARIANT_BOOL ok = VARIANT_FALSE;
    REQUIRE(clipboard->Clear(&ok) == S_OK);

    SafeArray bytes = SafeArray::Vector(VT_UI1, 5, 4);
    {
        support::SafeArrayData<unsigned char> data(bytes.get());
        std::memcpy(data.get(), "\x00\x01\xFE\xFF", 4);
    }
    SAFEARRAY* in = bytes.get();
    REQUIRE(clipboard->SetRAWData(static_cast<LONG>(custom), &in, &ok) == S_OK);
    CHECK(ok == VARIANT_TRUE);
    LONG size = 0;
    CHECK(RawData(clipboard.get(), static_cast<LONG>(custom), &size) == std::string("\x00\x01\xFE\xFF", 4));
    CHECK(size == 4);

    SafeArray empty = SafeArray::Vector(VT_UI1, 0, 0);
    in = empty.get();
    REQUIRE(clipboard->SetRAWData(static_cast<LONG>(custom), &in, &ok) == S_OK);
    CHECK(ok == VARIANT_FALSE);

    SafeArray untouched = SafeArray::Vector(VT_UI1, 0, 1);
    SAFEARRAY* kept = untouched.get();
    REQUIRE(clipboard->GetRAWData(CF_HDROP, &kept, nullptr, &ok) == S_OK);
    CHECK(ok == VARIANT_FALSE);
    CHECK(kept == untouched.get());

    ComPtr<_Collection> formats;
    REQUIRE(clipboard->GetFormats(formats.put()) == S_OK);
    REQUIRE(formats);
    long count = 0;
    formats->Count(&count);
    LONG listed = -1;
    clipboard->GetFormatsCount(&listed);
    CHECK(count == listed);
    Variant first;
    formats->Item(*Variant::Long(1), first.put());
    CHECK(first.get()->lVal == static_cast<LONG>(custom));

    Bstr name;
    clipboard->GetFormatName(CF_TEXT, name.put());
    CHECK(support::BstrView(name.get()).empty());
    clipboard->GetFormatName(static_cast<LONG>(custom), name.put());
    CHECK(std::wstring(support::BstrView(name.get())) == L"Verrick Test Bytes");
}

// Notes every block COM's allocator frees (arrays and their data come from
// it) while it is registered. Never destroyed: the allocator may go on calling
// it for blocks it saw allocated.
class FreedBlocks final : public verrick_test::LongLived<IMallocSpy, IID_IMallocSpy> {
public:
    static FreedBlocks& Start()
    {
        static FreedBlocks* spy = new FreedBlocks;
        spy->freed_.clear();
        spy->registered_ = ::CoRegisterMallocSpy(spy) == S_OK;
        return *spy;
    }
    void Stop()
    {
        if (registered_) ::CoRevokeMallocSpy();
        registered_ = false;
    }
    bool Registered() const { return registered_; }
    bool Freed(const void* block) const
    {
        return std::find(freed_.begin(), freed_.end(), block) != freed_.end();
    }

    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
    void* STDMETHODCALLTYPE PostAlloc(void* actual) override { return actual; }
    void* STDMETHODCALLTYPE PreFree(void* request, BOOL) override
    {
        freed_.push_back(request);
        return request;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) override
    {
        *newRequest = request;
        return size;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* actual, BOOL) override { return actual; }
    void* STDMETHODCALLTYPE PreGetSize(void* request, BOOL) override { return request; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T actual, BOOL) override { return actual; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* request, BOOL) override { return request; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

private:
    FreedBlocks() = default;
    bool registered_ = false;
    std::vector<const void*> freed_;
};

TEST_CASE("tlvClipboard::RawDataLateBoundIntoAnArrayPassedByValue")
{
    // A client may pass a byte array by value where Data is by reference: the
    // array stays the caller's, whatever the method puts in its place.
    Com com;
    ComPtr<_tlvClipboard> clipboard = CreateClipboard();
    PlaceBlock(CF_TEXT, std::string("abc", 4));

    SafeArray bytes = SafeArray::Vector(VT_UI1, 0, 2);
    SAFEARRAY* array = bytes.get();
    const void* data = array->pvData;
    Variant argument = ArrayVariant(VT_UI1, std::move(bytes));
    Variant size;
    FreedBlocks& spy = FreedBlocks::Start();
    REQUIRE(spy.Registered());
    Outcome outcome = CallByName(clipboard.get(), L"GetRAWData", {Long(CF_TEXT), *argument, Ref(size)});
    spy.Stop();
    REQUIRE(outcome.hr == S_OK);
    CHECK(outcome.result.get()->vt == VT_BOOL);
    CHECK(outcome.result.get()->boolVal == VARIANT_TRUE);
    CHECK(size.get()->lVal >= 4);
    CHECK_FALSE(spy.Freed(data));
    REQUIRE(argument.get()->parray == array);
    LONG upper = -1;
    CHECK(::SafeArrayGetUBound(array, 1, &upper) == S_OK);
    CHECK(upper == 1);
}

TEST_CASE("tlvClipboard::RawDataLeavesArraysItCannotReplace")
{
    // A compiled client's fixed-size, static or locked array: the read fails
    // and the array stays the caller's, neither freed, repointed nor changed.
    Com com;
    ComPtr<_tlvClipboard> clipboard = CreateClipboard();
    PlaceBlock(CF_TEXT, std::string("abc", 4));
    unsigned char storage[2] = {7, 8};
    SAFEARRAY* fixedSize = SafeArray::Vector(VT_UI1, 0, 2).release();
    fixedSize->fFeatures |= FADF_FIXEDSIZE;
    SAFEARRAY* locked = SafeArray::Vector(VT_UI1, 0, 2).release();
    REQUIRE(::SafeArrayLock(locked) == S_OK);
    SAFEARRAY* inStorage = nullptr;
    REQUIRE(::SafeArrayAllocDescriptor(1, &inStorage) == S_OK);
    inStorage->fFeatures = FADF_STATIC;
    inStorage->cbElements = 1;
    inStorage->rgsabound[0] = {2, 0};
    inStorage->pvData = storage;
    for (SAFEARRAY* array : {fixedSize, locked, inStorage}) {
        void* const data = array->pvData;
        std::memcpy(data, "\x07\x08", 2);
        SAFEARRAY* passed = array;
        VARIANT_BOOL ok = VARIANT_TRUE;
        REQUIRE(clipboard->GetRAWData(CF_TEXT, &passed, nullptr, &ok) == S_OK);
        CHECK(ok == VARIANT_FALSE);
        REQUIRE(passed == array);
        CHECK(array->pvData == data);
        CHECK(array->rgsabound[0].cElements == 2);
        CHECK(std::memcmp(data, "\x07\x08", 2) == 0);
    }
    ::SafeArrayUnlock(locked);
    fixedSize->fFeatures &= ~FADF_FIXEDSIZE;
    ::SafeArrayDestroy(locked);
    ::SafeArrayDestroy(fixedSize);
    ::SafeArrayDestroyDescriptor(inStorage);
}

TEST_CASE("tlvClipboard::ShellFiles")
{
    Com com;
    ComPtr<_tlvClipboard> clipboard = CreateClipboard();
    VARIANT_BOOL ok = VARIANT_FALSE;

    SUBCASE("wide, with Cyrillic and an emoji")
    {
        ComPtr<_Collection> paths = Paths(L"C:\\Документы\\отчёт.txt|D:\\\U0001F600.png");
        IDispatch* names = paths.get();
        REQUIRE(clipboard->SetShellFiles(&names, VARIANT_TRUE, &ok) == S_OK);
        CHECK(ok == VARIANT_TRUE);
        const std::string block = RawData(clipboard.get(), CF_HDROP);
        CHECK(block.size() >= 20 + 2 * (22 + 9 + 3));
        CHECK(block.substr(0, 20) == std::string("\x14\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x01\0\0\0", 20));
        CHECK(ShellFiles(clipboard.get()) ==
              std::vector<std::wstring>{L"C:\\Документы\\отчёт.txt", L"D:\\\U0001F600.png"});
    }
    SUBCASE("ANSI")
    {
        // The Russian run must really have the Cyrillic code page, or it tests nothing more.
        if (const char* expected = std::getenv("VERRICK_TEST_ANSI_CODE_PAGE"))
            REQUIRE(::GetACP() == static_cast<UINT>(std::atoi(expected)));
        const bool cyrillic = ::GetACP() == 1251;
        const wchar_t* second = cyrillic ? L"C:\\Привет.txt" : L"C:\\b b.txt";
        ComPtr<_Collection> paths = Paths((std::wstring(L"C:\\a.txt|") + second).c_str());
        IDispatch* names = paths.get();
        REQUIRE(clipboard->SetShellFiles(&names, VARIANT_FALSE, &ok) == S_OK);
        CHECK(ok == VARIANT_TRUE);
        CHECK(RawData(clipboard.get(), CF_HDROP)[16] == 0);
        CHECK(ShellFiles(clipboard.get()) == std::vector<std::wstring>{L"C:\\a.txt", second});
    }
    SUBCASE("no collection or no items")
    {
        IDispatch* nothing = nullptr;
        REQUIRE(clipboard->SetShellFiles(&nothing, VARIANT_TRUE, &ok) == S_OK);
        CHECK(ok == VARIANT_FALSE);
        ComPtr<_Collection> none = Paths(L"");
        IDispatch* names = none.get();
        REQUIRE(clipboard->SetShellFiles(&names, VARIANT_TRUE, &ok) == S_OK);
        CHECK(ok == VARIANT_FALSE);
    }
    SUBCASE("damaged blocks")
    {
        bool isCollection = false;
        const std::string header("\x14\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 20);
        PlaceBlock(CF_HDROP, header.substr(0, 12));
        CHECK(ShellFiles(clipboard.get(), &isCollection).empty());
        CHECK_FALSE(isCollection);
        PlaceBlock(CF_HDROP, header);
        CHECK(ShellFiles(clipboard.get(), &isCollection).empty());
        CHECK(isCollection);
        PlaceBlock(CF_HDROP, std::string("\xFF\xFF\0\0", 4) + header.substr(4) + "C:\\a");
        CHECK(ShellFiles(clipboard.get(), &isCollection).empty());
        CHECK(isCollection);
        // The last path lacks its terminator; blank pieces are no paths.
        PlaceBlock(CF_HDROP, header + std::string("C:\\a\0 \0C:\\b", 11));
        CHECK(ShellFiles(clipboard.get()) == std::vector<std::wstring>{L"C:\\a", L"C:\\b"});
    }
}
