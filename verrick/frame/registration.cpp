#include "verrick/frame/registration.h"

#include <comcat.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "Velmora.h"
#include "support/com.h"
#include "support/handles.h"
#include "support/runtime_error.h"
#include "verrick/frame/class_table.h"
#include "verrick/com/module.h"

namespace verrick {
namespace {

// Each width registers its type library under its own platform key. The
// other width's registry view (ignored where there is only one).
#ifdef _WIN64
constexpr wchar_t kPlatformKey[] = L"\\win64";
constexpr REGSAM kOtherView = KEY_WOW64_32KEY;
#else
constexpr wchar_t kPlatformKey[] = L"\\win32";
constexpr REGSAM kOtherView = KEY_WOW64_64KEY;
#endif

// The automation marshaler, which serves every dual interface from the type library.
constexpr wchar_t kOleAutomationProxy[] = L"{00020424-0000-0000-C000-000000000046}";

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring VersionText(WORD major, WORD minor)
{
    wchar_t text[16];
    ::wsprintfW(text, L"%x.%x", major, minor);
    return text;
}

std::wstring FolderOf(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Writes under one classes root; the first failure is kept and later writes are skipped.
class Writer {
public:
    explicit Writer(HKEY root) noexcept : root_(root) {}

    void Set(const std::wstring& path, const wchar_t* name, const std::wstring& value)
    {
        support::UniqueRegKey key = CreateKey(path);
        if (status_ != ERROR_SUCCESS) return;
        status_ = ::RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    // The key, made when missing; none once a write has failed.
    support::UniqueRegKey CreateKey(const std::wstring& path)
    {
        support::UniqueRegKey key;
        if (status_ == ERROR_SUCCESS)
            status_ = ::RegCreateKeyExW(root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_SET_VALUE, nullptr, key.put(), nullptr);
        return key;
    }
    HRESULT Result() const noexcept
    {
        return status_ == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(static_cast<DWORD>(status_));
    }

private:
    HKEY root_;
    LSTATUS status_ = ERROR_SUCCESS;
};

// The names of a key's subkeys; none when it cannot be read.
std::vector<std::wstring> SubkeysOf(HKEY root, const std::wstring& path)
{
    std::vector<std::wstring> names;
    support::UniqueRegKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return names;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (::RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

// Deletes a key with everything below it; a missing key is no failure.
void DeleteTree(HKEY root, const std::wstring& path)
{
    for (const auto& child : SubkeysOf(root, path))
        DeleteTree(root, path + L"\\" + child);
    ::RegDeleteKeyW(root, path.c_str());
}

// Deletes a key only when nothing is left below it (another version may still live there).
void DeleteIfEmpty(HKEY root, const std::wstring& path)
{
    support::UniqueRegKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    DWORD subkeys = 0, values = 0;
    if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return;
    key.reset();
    if (subkeys == 0 && values == 0) ::RegDeleteKeyW(root, path.c_str());
}

// The file the other width's registration of a class names, in that width's
// registry view of the hive; empty when there is none (or only the one view).
// The path goes from the hive: Wine does not switch views below a key opened
// in this width's view.
std::wstring OtherWidthServer(HKEY hive, const CLSID& clsid)
{
    support::UniqueRegKey key;
    const std::wstring path = L"Software\\Classes\\CLSID\\" + GuidText(clsid) + L"\\InprocServer32";
    if (::RegOpenKeyExW(hive, path.c_str(), 0, KEY_QUERY_VALUE | kOtherView, key.put()) != ERROR_SUCCESS)
        return {};
    wchar_t value[MAX_PATH + 1] = {};
    DWORD size = sizeof value - sizeof(wchar_t), type = 0;
    if (::RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return {};
    return value;
}

// What containers look for in a control's class key: the Control marker, its
// OLEMISC flags (default and for DVASPECT_CONTENT) and the control category.
void RegisterControl(Writer& writer, const std::wstring& key, DWORD miscStatus)
{
    writer.CreateKey(key + L"\\Control");
    writer.Set(key + L"\\MiscStatus", nullptr, L"0");
    writer.Set(key + L"\\MiscStatus\\1", nullptr, std::to_wstring(miscStatus));
    writer.CreateKey(key + L"\\Implemented Categories\\" + GuidText(CATID_Control));
}

struct LibraryFacts {
    GUID libid{};
    WORD major = 0, minor = 0;
    LCID lcid = 0;
    std::vector<std::pair<GUID, std::wstring>> interfaces; // automation interfaces and their names
};

HRESULT ReadLibrary(LibraryFacts& facts)
{
    support::ComPtr<ITypeLib> library;
    HRESULT hr = GetTypeLibrary(library.put());
    if (FAILED(hr)) return hr;
    {
        support::TypeLibAttr attr(library.get());
        hr = library->GetLibAttr(attr.put());
        if (FAILED(hr)) return hr;
        facts.libid = attr->guid;
        facts.major = attr->wMajorVerNum;
        facts.minor = attr->wMinorVerNum;
        facts.lcid = attr->lcid;
    }

    for (UINT i = 0, count = library->GetTypeInfoCount(); i < count; ++i) {
        support::ComPtr<ITypeInfo> info;
        if (FAILED(library->GetTypeInfo(i, info.put()))) continue;
        support::TypeAttr type(info.get());
        if (FAILED(info->GetTypeAttr(type.put()))) continue;
        bool automation = type->typekind == TKIND_DISPATCH ||
                          (type->typekind == TKIND_INTERFACE &&
                           (type->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION)));
        GUID iid = type->guid;
        if (!automation) continue;
        support::Bstr name;
        library->GetDocumentation(static_cast<INT>(i), name.put(), nullptr, nullptr, nullptr);
        facts.interfaces.emplace_back(iid, std::wstring(name.view()));
    }
    return S_OK;
}

HKEY HiveOf(RegistrationScope scope) noexcept
{
    return scope == RegistrationScope::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

HKEY ClassesRoot(HKEY hive, support::UniqueRegKey& owner) noexcept
{
    if (::RegCreateKeyExW(hive, L"Software\\Classes", 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE | DELETE, nullptr, owner.put(), nullptr) != ERROR_SUCCESS)
        return nullptr;
    return owner.get();
}

std::wstring ProgIdOf(const ClassEntry& entry)
{
    return std::wstring(kLibraryName) + L"." + entry.name;
}

// Removes this width's registration. Where the other width's server is
// registered too, its registration keeps working: current Windows keeps some
// class keys in one place for both registry views (the ProgIDs and the type
// libraries) and others in each view (classes, interfaces). So the ProgIDs
// stay while the other width is registered, and the type library loses only
// this width's platform key (and its version once no platform is left).
void Unregister(HKEY hive, HKEY root, const LibraryFacts& facts)
{
    const std::wstring ours = ModulePath();
    bool otherWidth = false;
    for (const ClassEntry& entry : PublicClasses()) {
        if (!entry.create) continue;
        const std::wstring other = OtherWidthServer(hive, *entry.clsid);
        otherWidth = otherWidth || (!other.empty() && ::lstrcmpiW(other.c_str(), ours.c_str()) != 0);
    }

    for (const ClassEntry& entry : PublicClasses()) {
        if (!entry.create) continue;
        DeleteTree(root, L"CLSID\\" + GuidText(*entry.clsid));
        if (!otherWidth) DeleteTree(root, ProgIdOf(entry));
    }
    for (const auto& [iid, name] : facts.interfaces)
        DeleteTree(root, L"Interface\\" + GuidText(iid));

    const std::wstring library = L"TypeLib\\" + GuidText(facts.libid);
    const std::wstring version = library + L"\\" + VersionText(facts.major, facts.minor);
    bool platformLeft = false;
    for (const auto& lcid : SubkeysOf(root, version)) {
        if (lcid == L"FLAGS" || lcid == L"HELPDIR") continue;
        DeleteTree(root, version + L"\\" + lcid + kPlatformKey);
        DeleteIfEmpty(root, version + L"\\" + lcid);
        platformLeft = platformLeft || !SubkeysOf(root, version + L"\\" + lcid).empty();
    }
    if (!platformLeft) DeleteTree(root, version);
    DeleteIfEmpty(root, library);

    // A per-user root may have had none of these before we came.
    for (const wchar_t* parent : {L"CLSID", L"Interface", L"TypeLib"})
        DeleteIfEmpty(root, parent);
}

// Runs work(hive, root, facts) on the scope's hive and classes root with the type library's facts.
template <typename Work> HRESULT WithClassesRoot(RegistrationScope scope, Work&& work) noexcept
try {
    LibraryFacts facts;
    HRESULT hr = ReadLibrary(facts);
    if (FAILED(hr)) return hr;
    const HKEY hive = HiveOf(scope);
    support::UniqueRegKey rootOwner;
    HKEY root = ClassesRoot(hive, rootOwner);
    if (!root) return E_ACCESSDENIED;
    return work(hive, root, facts);
} catch (...) {
    return support::HresultOfCaughtError();
}

HRESULT Register(HKEY hive, HKEY root, const LibraryFacts& facts)
{
    const std::wstring path = ModulePath();
    const std::wstring libid = GuidText(facts.libid);
    const std::wstring version = VersionText(facts.major, facts.minor);
    Writer writer(root);

    const std::wstring library = L"TypeLib\\" + libid + L"\\" + version;
    writer.Set(library, nullptr, kLibraryDescription);
    writer.Set(library + L"\\FLAGS", nullptr, L"0");
    writer.Set(library + L"\\HELPDIR", nullptr, FolderOf(path));
    wchar_t lcid[16];
    ::wsprintfW(lcid, L"%lx", facts.lcid);
    writer.Set(library + L"\\" + lcid + kPlatformKey, nullptr, path);

    for (const auto& [iid, name] : facts.interfaces) {
        const std::wstring key = L"Interface\\" + GuidText(iid);
        writer.Set(key, nullptr, name);
        writer.Set(key + L"\\ProxyStubClsid", nullptr, kOleAutomationProxy);
        writer.Set(key + L"\\ProxyStubClsid32", nullptr, kOleAutomationProxy);
        writer.Set(key + L"\\TypeLib", nullptr, libid);
        writer.Set(key + L"\\TypeLib", L"Version", version);
    }

    for (const ClassEntry& entry : PublicClasses()) {
        if (!entry.create) continue;
        const std::wstring progId = ProgIdOf(entry);
        const std::wstring clsid = GuidText(*entry.clsid);
        const std::wstring key = L"CLSID\\" + clsid;
        writer.Set(key, nullptr, progId);
        writer.Set(key + L"\\InprocServer32", nullptr, path);
        writer.Set(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
        writer.Set(key + L"\\ProgID", nullptr, progId);
        writer.Set(key + L"\\VERSION", nullptr, version);
        writer.Set(key + L"\\TypeLib", nullptr, libid);
        writer.CreateKey(key + L"\\Programmable");
        writer.Set(progId, nullptr, progId);
        writer.Set(progId + L"\\CLSID", nullptr, clsid);
        if (entry.miscStatus != 0) RegisterControl(writer, key, entry.miscStatus);
    }

    const HRESULT hr = writer.Result();
    // A half-written registration is worse than none.
    if (FAILED(hr)) Unregister(hive, root, facts);
    return hr;
}

} // namespace

HRESULT RegisterServer(RegistrationScope scope) noexcept
{
    return WithClassesRoot(scope, Register);
}

HRESULT UnregisterServer(RegistrationScope scope) noexcept
{
    return WithClassesRoot(scope, [](HKEY hive, HKEY root, const LibraryFacts& facts) {
        Unregister(hive, root, facts);
        return S_OK;
    });
}

} // namespace verrick
