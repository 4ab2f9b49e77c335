#include "toolkit/automation.h"

#include <cwctype>

#include "toolkit/application.h"
#include "toolkit/ole_objects.h"

#include "support/com_object.h"
#include "support/enumerator.h"
#include "support/runtime_error.h"
#include "support/values.h"

namespace toolkit {
namespace automation {
namespace {

using support::ComPtr;
using support::Variant;

// Names a class does not list but its object knows (a form's controls) get DISPIDs from here on.
constexpr DISPID kFirstChildId = 0x10000;
// Names passed on to the extended object get DISPIDs from here on; the call is passed on as it came.
constexpr DISPID kFirstForwardedId = 0x20000;
// Asked by FromDispatch: answered only by our adapters, with the adapter itself.
constexpr GUID kIidToolkitObject = {
    0x5d1c7e2a, 0x93b4, 0x4f0e, {0x8a, 0x61, 0x2c, 0x7f, 0x0b, 0x45, 0xd9, 0x13}};

using support::Deref;
using support::FoldedName;

// A caller's parameters are checked before any is read: counts that point
// nowhere, null references and reference loops are refused.
bool AreWellFormed(const DISPPARAMS& params)
{
    if (params.cNamedArgs > params.cArgs || (params.cArgs && !params.rgvarg) ||
        (params.cNamedArgs && !params.rgdispidNamedArgs))
        return false;
    for (UINT i = 0; i < params.cArgs; ++i)
        if (!support::IsWellFormedArgument(params.rgvarg[i])) return false;
    return true;
}

// The adapter: IDispatch over a toolkit object, which it does not keep alive.
class Dispatcher final : public support::ComObjectBase<IDispatch> {
public:
    explicit Dispatcher(Automatable* target) : target_(target) {}

    void Orphan() noexcept { target_ = nullptr; }
    Automatable* Target() const noexcept { return target_; }

    bool QueryExtra(REFIID iid, void** object) noexcept override
    {
        if (!IsEqualIID(iid, kIidToolkitObject)) return false;
        *object = static_cast<IDispatch*>(this);
        return true;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override
    {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        if (!target_) return E_UNEXPECTED;
        try {
            ITypeInfo* typeInfo = target_->AutomationClass().TypeInfo();
            if (!typeInfo) return E_FAIL;
            typeInfo->AddRef();
            *info = typeInfo;
            return S_OK;
        } catch (...) {
            return support::HresultOfCaughtError();
        }
    }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (!names || !ids || count == 0 || !names[0]) return E_INVALIDARG;
        if (!target_) return DISP_E_UNKNOWNNAME;
        try {
            // Only the member name is looked up; named arguments are not supported.
            for (UINT i = 1; i < count; ++i)
                ids[i] = DISPID_UNKNOWN;
            ids[0] = target_->AutomationClass().Find(names[0]);
            if (ids[0] == DISPID_UNKNOWN && target_->NamedChild(names[0])) {
                std::wstring name = FoldedName(names[0]);
                auto found = std::find(children_.begin(), children_.end(), name);
                if (found == children_.end()) found = children_.insert(children_.end(), name);
                ids[0] = kFirstChildId + static_cast<DISPID>(found - children_.begin());
            }
            if (ids[0] == DISPID_UNKNOWN) {
                if (ComPtr<IDispatch> inner = target_->ExtendedObject()) {
                    HRESULT hr = inner->GetIDsOfNames(IID_NULL, names, count, LOCALE_USER_DEFAULT, ids);
                    if (FAILED(hr)) return hr;
                    std::wstring name = FoldedName(names[0]);
                    auto found = std::find(forwarded_.begin(), forwarded_.end(), name);
                    if (found == forwarded_.end()) found = forwarded_.insert(forwarded_.end(), name);
                    ids[0] = kFirstForwardedId + static_cast<DISPID>(found - forwarded_.begin());
                    return S_OK;
                }
            }
            return ids[0] == DISPID_UNKNOWN || count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
        } catch (...) {
            return support::HresultOfCaughtError();
        }
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override
    {
        if (!params || !AreWellFormed(*params)) return E_INVALIDARG;
        // The member may end the last outside reference (a form that unloads itself).
        ComPtr<IDispatch> keepAlive(this);
        try {
            if (!target_) support::Raise(support::err::ObjectUnloaded);
            if (member >= kFirstForwardedId)
                return Forward(member, lcid, flags, params, result, exception, argumentError);
            Call call;
            call.flags = flags;
            UINT positional = params->cArgs;
            if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
                if (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT ||
                    params->cArgs < 1)
                    return DISP_E_PARAMNOTOPTIONAL;
                call.value = &Deref(params->rgvarg[0]);
                positional = params->cArgs - 1;
                for (UINT i = positional; i > 0; --i)
                    call.arguments.push_back(&Deref(params->rgvarg[i]));
            } else {
                if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
                for (UINT i = positional; i > 0; --i)
                    call.arguments.push_back(&Deref(params->rgvarg[i - 1]));
            }
            Variant value;
            if (member >= kFirstChildId) {
                size_t index = static_cast<size_t>(member - kFirstChildId);
                if (index >= children_.size() || call.IsPut()) return DISP_E_MEMBERNOTFOUND;
                ComPtr<IDispatch> child = target_->NamedChild(children_[index]);
                if (!child) return DISP_E_MEMBERNOTFOUND;
                value = Variant::Object(child.get());
                // optArray(2): the child's own default member takes the arguments.
                if (!call.arguments.empty()) value = CallDefault(child.get(), call, exception);
            } else {
                bool isMethod = false;
                const Handler* handler = target_->AutomationClass().HandlerOf(member, isMethod);
                if (!handler) return DISP_E_MEMBERNOTFOUND;
                if (isMethod && call.IsPut()) return DISP_E_MEMBERNOTFOUND;
                value = (*handler)(*target_, call);
            }
            if (result) value.move_to(result);
            return S_OK;
        } catch (const support::RuntimeError& error) {
            // A member the object does not support is one it does not have.
            if (error.Number() == support::err::MethodNotSupported) return DISP_E_MEMBERNOTFOUND;
            return support::ReportCaughtError(IID_IDispatch, Application::Title(), exception);
        } catch (...) {
            return support::ReportCaughtError(IID_IDispatch, Application::Title(), exception);
        }
    }

private:
    // The name is looked up again: the extended object may have been made anew since (a form reloaded).
    HRESULT Forward(DISPID member, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                    EXCEPINFO* exception, UINT* argumentError)
    {
        size_t index = static_cast<size_t>(member - kFirstForwardedId);
        if (index >= forwarded_.size()) return DISP_E_MEMBERNOTFOUND;
        try {
            ComPtr<IDispatch> inner = target_->ExtendedObject();
            if (!inner) return DISP_E_MEMBERNOTFOUND;
            LPOLESTR name = forwarded_[index].data();
            DISPID id = DISPID_UNKNOWN;
            if (FAILED(inner->GetIDsOfNames(IID_NULL, &name, 1, lcid, &id))) return DISP_E_MEMBERNOTFOUND;
            return inner->Invoke(id, IID_NULL, lcid, flags, params, result, exception, argumentError);
        } catch (...) {
            return support::HresultOfCaughtError();
        }
    }

    static Variant CallDefault(IDispatch* child, const Call& call, EXCEPINFO* exception)
    {
        std::vector<VARIANT> reversed;
        for (auto it = call.arguments.rbegin(); it != call.arguments.rend(); ++it)
            reversed.push_back(**it);
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        Variant result;
        EXCEPINFO inner{};
        HRESULT hr =
            child->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                          &params, result.get(), &inner, nullptr);
        if (FAILED(hr)) support::RaiseFailedCall(hr, {}, &inner);
        return result;
    }

    Automatable* target_;
    std::vector<std::wstring> children_;
    std::vector<std::wstring> forwarded_;
};

// One type library in memory for the process: a dispatch interface per class name.
ComPtr<ITypeInfo> MakeTypeInfo(const std::wstring& name)
{
    static ComPtr<ICreateTypeLib2> library = [] {
        ComPtr<ICreateTypeLib2> created;
        ::CreateTypeLib2(SYS_WIN32, L"toolkit.tlb", created.put());
        return created;
    }();
    if (!library) return {};
    ComPtr<ICreateTypeInfo> created;
    if (FAILED(library->CreateTypeInfo(const_cast<LPOLESTR>(name.c_str()), TKIND_DISPATCH, created.put())))
        return {};
    return created.as<ITypeInfo>();
}

FontSpec ReadFont(IFont* font)
{
    FontSpec read;
    support::Bstr name;
    if (SUCCEEDED(font->get_Name(name.put()))) read.Name = std::wstring(name.view());
    CY size{};
    if (SUCCEEDED(font->get_Size(&size))) read.Size = static_cast<double>(size.int64) / 10000.0;
    BOOL flag = FALSE;
    if (SUCCEEDED(font->get_Bold(&flag))) read.Bold = flag;
    if (SUCCEEDED(font->get_Italic(&flag))) read.Italic = flag;
    if (SUCCEEDED(font->get_Underline(&flag))) read.Underline = flag;
    if (SUCCEEDED(font->get_Strikethrough(&flag))) read.Strikethrough = flag;
    SHORT charset = 0;
    if (SUCCEEDED(font->get_Charset(&charset))) read.Charset = charset;
    return read;
}

// Hears every change of an OLE font and hands the font's new values to its owner.
class FontSink final : public support::ComObjectBase<IPropertyNotifySink> {
public:
    FontSink(IFont* font, OleFontLink::Apply apply) : font_(font), apply_(std::move(apply)) {}

    void Mute(bool muted) noexcept { muted_ = muted; }
    void Detach() noexcept
    {
        font_ = nullptr;
        apply_ = nullptr;
    }

    HRESULT STDMETHODCALLTYPE OnChanged(DISPID) override
    {
        if (muted_ || !font_ || !apply_) return S_OK;
        GuardCallback([&] { apply_(ReadFont(font_)); });
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID) override { return S_OK; }

private:
    IFont* font_; // the link owns the font and outlives this sink's use of it
    OleFontLink::Apply apply_;
    bool muted_ = false;
};

ComPtr<IConnectionPoint> NotifyPointOf(IFont* font)
{
    ComPtr<IConnectionPoint> point;
    if (auto container = ComPtr<IFont>(font).as<IConnectionPointContainer>())
        container->FindConnectionPoint(IID_IPropertyNotifySink, point.put());
    return point;
}

void WriteFont(IFont* font, const FontSpec& wanted)
{
    support::Bstr name(wanted.Name);
    font->put_Name(name.get());
    CY size{};
    size.int64 = static_cast<LONGLONG>(wanted.Size * 10000.0 + 0.5);
    font->put_Size(size);
    font->put_Bold(wanted.Bold);
    font->put_Italic(wanted.Italic);
    font->put_Underline(wanted.Underline);
    font->put_Strikethrough(wanted.Strikethrough);
    font->put_Charset(static_cast<SHORT>(wanted.Charset));
}

} // namespace

const VARIANT* Call::Optional(size_t index) const noexcept
{
    if (index >= arguments.size() || support::IsMissing(*arguments[index])) return nullptr;
    return arguments[index];
}

const VARIANT& Call::Required(size_t index) const
{
    const VARIANT* argument = Optional(index);
    if (!argument) support::Raise(support::err::ArgumentNotOptional);
    return *argument;
}

void RaiseReadOnlyProperty()
{
    support::Raise(support::err::ReadOnlyProperty, L"Can't set read-only property");
}
void RaiseWrongArgumentCount()
{
    support::Raise(support::err::WrongNumberOfArguments);
}

void ClassInfo::Add(std::wstring_view name, Handler handler, bool isMethod)
{
    std::wstring folded = FoldedName(name);
    if (auto found = ids_.find(folded); found != ids_.end()) {
        members_[static_cast<size_t>(found->second - 1)] = {std::wstring(name), std::move(handler), isMethod};
        return;
    }
    members_.push_back({std::wstring(name), std::move(handler), isMethod});
    ids_.emplace(std::move(folded), static_cast<DISPID>(members_.size()));
}

DISPID ClassInfo::Find(std::wstring_view name) const
{
    auto found = ids_.find(FoldedName(name));
    return found == ids_.end() ? DISPID_UNKNOWN : found->second;
}

const Handler* ClassInfo::HandlerOf(DISPID id, bool& isMethod) const
{
    if (id == DISPID_VALUE) id = default_;
    if (id == DISPID_NEWENUM) id = Find(L"_NewEnum");
    if (id < 1 || static_cast<size_t>(id) > members_.size()) return nullptr;
    const Member& member = members_[static_cast<size_t>(id - 1)];
    isMethod = member.isMethod;
    return &member.handler;
}

ITypeInfo* ClassInfo::TypeInfo() const
{
    if (!typeInfo_) typeInfo_ = MakeTypeInfo(typeName_);
    return typeInfo_.get();
}

Variant Enumerator(std::vector<Variant> items)
{
    ComPtr<IEnumVARIANT> enumerator =
        support::MakeSnapshotEnumerator<IEnumVARIANT, VARIANT, Variant>(std::move(items));
    return Variant::Unknown(enumerator.get());
}

OleFontLink::~OleFontLink()
{
    if (!font_) return;
    if (auto point = NotifyPointOf(font_.get()); point && cookie_) point->Unadvise(cookie_);
    static_cast<FontSink*>(sink_.get())->Detach();
}

ComPtr<IDispatch> OleFontLink::Get(const FontSpec& current, Apply apply)
{
    if (!font_) {
        ComPtr<IFont> font;
        HRESULT hr = MakeOleFont(current, font);
        if (FAILED(hr)) support::RaiseFailedCall(hr, L"OleCreateFontIndirect");
        auto sink = ComPtr<IPropertyNotifySink>::Attach(new FontSink(font.get(), std::move(apply)));
        auto point = NotifyPointOf(font.get());
        if (!point || FAILED(point->Advise(sink.get(), &cookie_)))
            support::Raise(support::err::InvalidProcedureCall,
                           L"The font object sends no change notifications");
        font_ = std::move(font);
        sink_ = std::move(sink);
    }
    return font_.as<IDispatch>();
}

void OleFontLink::Update(const FontSpec& wanted)
{
    if (!font_) return;
    auto* sink = static_cast<FontSink*>(sink_.get());
    sink->Mute(true);
    WriteFont(font_.get(), wanted);
    sink->Mute(false);
}

FontSpec OleFontLink::SpecOf(IDispatch* font)
{
    ComPtr<IFont> ole;
    if (!font || FAILED(font->QueryInterface(IID_IFont, ole.put_void())))
        support::Raise(support::err::TypeMismatch);
    return ReadFont(ole.get());
}

HCURSOR CursorOf(IDispatch* picture) noexcept
{
    ComPtr<IPicture> ole;
    if (!picture || FAILED(picture->QueryInterface(IID_IPicture, ole.put_void()))) return nullptr;
    OLE_HANDLE handle = 0;
    SHORT type = PICTYPE_NONE;
    if (FAILED(ole->get_Type(&type)) || type != PICTYPE_ICON || FAILED(ole->get_Handle(&handle)))
        return nullptr;
    // A picture's handle is 32 bits wide; handles widen with their sign, as everywhere else.
    return static_cast<HCURSOR>(LongToHandle(static_cast<LONG>(handle)));
}

} // namespace automation

Automatable::~Automatable()
{
    if (dispatcher_) static_cast<automation::Dispatcher*>(dispatcher_.get())->Orphan();
}

support::ComPtr<IDispatch> Automatable::Dispatch()
{
    if (!dispatcher_) dispatcher_ = support::ComPtr<IDispatch>::Attach(new automation::Dispatcher(this));
    return dispatcher_;
}

Automatable* Automatable::FromDispatch(IDispatch* object) noexcept
{
    if (!object) return nullptr;
    support::ComPtr<IDispatch> ours;
    if (FAILED(object->QueryInterface(automation::kIidToolkitObject, ours.put_void()))) return nullptr;
    return static_cast<automation::Dispatcher*>(ours.get())->Target();
}

} // namespace toolkit
