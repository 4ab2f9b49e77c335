#include <doctest.h>

#include <map>
#include <string>

#include "server.h"

using namespace verrick_test;

namespace {

const std::wstring kLibraryHelp = L"Tollever - Библиотека общих функций 3.07";

std::wstring HelpString(ITypeLib* library, INT index)
{
    Bstr help;
    library->GetDocumentation(index, nullptr, help.put(), nullptr, nullptr);
    return std::wstring(help.view());
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name)
{
    std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    wchar_t* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        return L"<none>";
    return std::wstring(value, length ? length - 1 : 0);
}

template <typename Function> Function Export(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(Server(), name)));
}

} // namespace

// The library's help string is stored in the ANSI code page 1251; this test runs with a Russian locale.
// (Every other help string is English: the reference test reads them all.)
TEST_CASE("Frame::HelpStringsReadBackFromTheRegisteredTypeLibrary")
{
    Com com;
    REQUIRE(::GetACP() == 1251);
    auto registerServer = Export<HRESULT(WINAPI*)()>("DllRegisterServer");
    auto unregisterServer = Export<HRESULT(WINAPI*)()>("DllUnregisterServer");
    REQUIRE(static_cast<bool>(registerServer));
    REQUIRE(registerServer() == S_OK);

    ComPtr<ITypeLib> library;
    REQUIRE(::LoadRegTypeLib(LIBID_Velmora, 1, 0, 0x409, library.put()) == S_OK);
    {
        support::TypeLibAttr attr(library.get());
        REQUIRE(library->GetLibAttr(attr.put()) == S_OK);
        CHECK(attr->lcid == 0x409);
        CHECK(attr->wMajorVerNum == 1);
        CHECK(attr->wMinorVerNum == 0);
    }

    Bstr name;
    library->GetDocumentation(-1, name.put(), nullptr, nullptr, nullptr);
    CHECK(name.view() == L"Velmora");
    CHECK(HelpString(library.get(), -1) == kLibraryHelp);

    ComPtr<ITypeInfo> coclass;
    REQUIRE(library->GetTypeInfoOfGuid(CLSID_tlvMain, coclass.put()) == S_OK);
    {
        support::TypeAttr classAttr(coclass.get());
        REQUIRE(coclass->GetTypeAttr(classAttr.put()) == S_OK);
        CHECK((classAttr->wTypeFlags & TYPEFLAG_FAPPOBJECT) != 0);
        CHECK((classAttr->wTypeFlags & TYPEFLAG_FCANCREATE) != 0);
    }

    // The three published enumerations.
    struct Enumerator {
        const wchar_t* name;
        LONG value;
    };
    ComPtr<ITypeComp> binder;
    REQUIRE(library->GetTypeComp(binder.put()) == S_OK);
    for (Enumerator e : {Enumerator{L"amNormalWithMinimizeToTrayHook", 71}, Enumerator{L"ghrvSourceURL", 6},
                         Enumerator{L"mffDefaultToNearest", 2}}) {
        CAPTURE(std::wstring(e.name));
        ComPtr<ITypeInfo> found;
        DESCKIND kind = DESCKIND_NONE;
        BINDPTR bound{};
        ULONG hash = ::LHashValOfNameSys(SYS_WIN32, 0x409, e.name);
        REQUIRE(binder->Bind(const_cast<LPOLESTR>(e.name), hash, 0, found.put(), &kind, &bound) == S_OK);
        REQUIRE(kind == DESCKIND_VARDESC);
        support::VarDesc description(found.get());
        *description.put() = bound.lpvardesc;
        CHECK(description->lpvarValue->lVal == e.value);
    }

    library.reset();
    CHECK(unregisterServer() == S_OK);
    CHECK(::LoadRegTypeLib(LIBID_Velmora, 1, 0, 0x409, library.put()) != S_OK);
}

// An object browser lists each enumeration under its own name, with no generated ones.
TEST_CASE("Frame::EnumerationsCarryTheirOwnNames")
{
    Com com;
    wchar_t path[MAX_PATH];
    REQUIRE(::GetModuleFileNameW(Server(), path, MAX_PATH) > 0);
    ComPtr<ITypeLib> library;
    REQUIRE(::LoadTypeLibEx(path, REGKIND_NONE, library.put()) == S_OK);
    std::map<std::wstring, TYPEKIND> kinds;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        Bstr name;
        TYPEKIND kind = TKIND_MAX;
        REQUIRE(library->GetDocumentation(static_cast<INT>(i), name.put(), nullptr, nullptr, nullptr) ==
                S_OK);
        REQUIRE(library->GetTypeInfoType(i, &kind) == S_OK);
        kinds[std::wstring(name.view())] = kind;
    }
    for (const wchar_t* name : {L"ActivationMethodConst", L"GetHTMLReturnValue", L"MonitorFromFlags"}) {
        CAPTURE(std::wstring(name));
        REQUIRE(kinds.count(name) == 1);
        CHECK(kinds[name] == TKIND_ENUM);
    }
    for (const auto& [name, kind] : kinds) {
        CAPTURE(name);
        CHECK(kind != TKIND_ALIAS);
        CHECK(name.find(L"WIDL") == std::wstring::npos);
    }
}

TEST_CASE("Frame::VersionResource")
{
    wchar_t path[MAX_PATH];
    ::GetModuleFileNameW(Server(), path, MAX_PATH);
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path, &handle);
    REQUIRE(size > 0);
    std::vector<BYTE> block(size);
    REQUIRE(::GetFileVersionInfoW(path, 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    REQUIRE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    CHECK(fixed->dwFileVersionMS == MAKELONG(7, 3));
    CHECK(fixed->dwFileVersionLS == MAKELONG(305, 0));
    CHECK(VersionString(block, L"FileVersion") == L"3.07.0305");
    CHECK(VersionString(block, L"FileDescription") == kLibraryHelp);
    CHECK(VersionString(block, L"Comments") == kLibraryHelp);
    CHECK(VersionString(block, L"ProductName") == L"Tollever");
    CHECK(VersionString(block, L"OLESelfRegister") == L"");
}

TEST_CASE("Frame::ClassFactoryAndUnloading")
{
    Com com;
    auto getClassObject = Export<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    auto canUnloadNow = Export<HRESULT(WINAPI*)()>("DllCanUnloadNow");
    REQUIRE(static_cast<bool>(getClassObject));
    REQUIRE(static_cast<bool>(canUnloadNow));
    CHECK(canUnloadNow() == S_OK);

    ComPtr<IClassFactory> factory;
    CHECK(getClassObject(IID__tlvMain, IID_IClassFactory, factory.put_void()) == CLASS_E_CLASSNOTAVAILABLE);
    REQUIRE(getClassObject(CLSID_tlvMain, IID_IClassFactory, factory.put_void()) == S_OK);
    CHECK(canUnloadNow() == S_FALSE);
    ComPtr<IUnknown> aggregated;
    CHECK(factory->CreateInstance(factory.get(), IID_IUnknown, aggregated.put_void()) ==
          CLASS_E_NOAGGREGATION);
    ComPtr<IDispatch> object;
    REQUIRE(factory->CreateInstance(nullptr, IID_IDispatch, object.put_void()) == S_OK);
    factory.reset();
    CHECK(canUnloadNow() == S_FALSE);

    auto errors = object.as<ISupportErrorInfo>();
    REQUIRE(errors);
    CHECK(errors->InterfaceSupportsErrorInfo(IID__tlvMain) == S_OK);
    CHECK(errors->InterfaceSupportsErrorInfo(IID_IDispatch) == S_FALSE);
    UINT count = 0;
    CHECK(object->GetTypeInfoCount(&count) == S_OK);
    CHECK(count == 1);
    ComPtr<ITypeInfo> info;
    REQUIRE(object->GetTypeInfo(0, 0, info.put()) == S_OK);
    // Named as the class, the interface's in all else.
    Bstr name;
    CHECK(info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr) == S_OK);
    CHECK(name.view() == L"tlvMain");
    {
        support::TypeAttr attr(info.get());
        REQUIRE(info->GetTypeAttr(attr.put()) == S_OK);
        CHECK(IsEqualIID(attr->guid, IID__tlvMain));
        CHECK(attr->typekind == TKIND_DISPATCH);
        CHECK(attr->cFuncs > 0);
    }
    DISPID id = 0;
    LPOLESTR member = const_cast<LPOLESTR>(L"Collection");
    CHECK(info->GetIDsOfNames(&member, 1, &id) == S_OK);
    CHECK(id == 4);

    errors.reset();
    object.reset();
    info.reset();
    CHECK(canUnloadNow() == S_OK);
}

TEST_CASE("Frame::ObjectsNameTheirClass")
{
    Com com;
    SUBCASE("every class describes itself as its class, as the classic runtime's objects do")
    {
        auto err = Create<IDispatch>(CLSID_tlvErr);
        REQUIRE(err);
        auto provider = err.as<IProvideClassInfo>();
        REQUIRE(provider);
        ComPtr<ITypeInfo> coclass;
        REQUIRE(provider->GetClassInfo(coclass.put()) == S_OK);
        {
            support::TypeAttr attr(coclass.get());
            REQUIRE(coclass->GetTypeAttr(attr.put()) == S_OK);
            CHECK(attr->typekind == TKIND_COCLASS);
            CHECK(IsEqualGUID(attr->guid, CLSID_tlvErr));
        }
        // A class without events has no event interface to name.
        IID events{};
        CHECK(err.as<IProvideClassInfo2>()->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events) == E_FAIL);
        CHECK(err.as<IProvideClassInfo2>()->GetGUID(0x7F, &events) == E_INVALIDARG);
    }
    SUBCASE("the type information handed out is named as the class")
    {
        for (auto [clsid, name] : {std::pair{&CLSID_tlvErr, L"tlvErr"},
                                   {&CLSID_tlvTabControl, L"tlvTabControl"},
                                   {&CLSID_tlvAutorunSupport, L"tlvAutorunSupport"}}) {
            auto object = Create<IDispatch>(*clsid);
            REQUIRE(object);
            ComPtr<ITypeInfo> info;
            REQUIRE(object->GetTypeInfo(0, 0, info.put()) == S_OK);
            Bstr text;
            CHECK(info->GetDocumentation(MEMBERID_NIL, text.put(), nullptr, nullptr, nullptr) == S_OK);
            CHECK(text.view() == name);
        }
    }
}
