#pragma once
// Late-bound access to forms, controls and control arrays: each toolkit
// object answers IDispatch by member name, as a program's own forms answer
// their clients. A class lists its members once in a ClassInfo; one adapter
// per object serves any class, and a type library made in memory gives each
// class a type information whose name is the class's (what TypeName reads).

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/font.h"

#include "support/com.h"
#include "support/values.h"

namespace toolkit {

class Automatable;

namespace automation {

// One late-bound call: the arguments in source order (by-reference values
// followed), and for a property assignment the value assigned.
struct Call {
    WORD flags = 0;
    std::vector<const VARIANT*> arguments;
    const VARIANT* value = nullptr;

    bool IsPut() const noexcept { return value != nullptr; }
    // The argument, or nullptr when it was omitted.
    const VARIANT* Optional(size_t index) const noexcept;
    // The argument; error 449 (Argument not optional) when it was omitted.
    const VARIANT& Required(size_t index) const;
};

// Arguments and assigned values convert by the one table of the runtime's rules (support/values.h).
using support::ToBool;
using support::ToDouble;
using support::ToLong;
using support::ToObject;
using support::ToText;

using Handler = std::function<support::Variant(Automatable& object, const Call& call)>;

// The members of one class: names (without regard to case), their handlers,
// the default member, and the class's type information.
class ClassInfo {
public:
    explicit ClassInfo(std::wstring typeName) : typeName_(std::move(typeName)) {}

    const std::wstring& TypeName() const noexcept { return typeName_; }
    // A member answering every kind of call; a later one of the same name replaces it.
    void Add(std::wstring_view name, Handler handler, bool isMethod);
    void Default(std::wstring_view name) { default_ = Find(name); }

    // DISPIDs count from 1 in the order members were added; DISPID_UNKNOWN when absent.
    DISPID Find(std::wstring_view name) const;
    // The handler of a DISPID (DISPID_VALUE and DISPID_NEWENUM included); nullptr when absent.
    const Handler* HandlerOf(DISPID id, bool& isMethod) const;
    ITypeInfo* TypeInfo() const;

private:
    struct Member {
        std::wstring name;
        Handler handler;
        bool isMethod;
    };
    std::wstring typeName_;
    std::vector<Member> members_;
    std::map<std::wstring, DISPID> ids_;
    DISPID default_ = DISPID_UNKNOWN;
    mutable support::ComPtr<ITypeInfo> typeInfo_;
};

// Typed registration of members of class T on a ClassInfo.
template <typename T> class Members {
public:
    explicit Members(ClassInfo& info) : info_(info) {}

    // A read-only property: get(T&) returns the value.
    template <typename Get> Members& Property(std::wstring_view name, Get get)
    {
        info_.Add(
            name,
            [get](Automatable& object, const Call& call) {
                CheckPropertyGet(call, false);
                return support::Variant(get(static_cast<T&>(object)));
            },
            false);
        return *this;
    }
    // A read-write property: put(T&, const VARIANT& value).
    template <typename Get, typename Put> Members& Property(std::wstring_view name, Get get, Put put)
    {
        info_.Add(
            name,
            [get, put](Automatable& object, const Call& call) {
                T& self = static_cast<T&>(object);
                if (call.IsPut()) {
                    CheckPropertyPut(call);
                    put(self, *call.value);
                    return support::Variant();
                }
                CheckPropertyGet(call, true);
                return support::Variant(get(self));
            },
            false);
        return *this;
    }
    // A method, or a property with arguments: body(T&, const Call&) returns the result.
    template <typename Body> Members& Method(std::wstring_view name, Body body)
    {
        info_.Add(
            name,
            [body](Automatable& object, const Call& call) { return body(static_cast<T&>(object), call); },
            true);
        return *this;
    }

    // A property with arguments (List(i)): body(T&, const Call&) reads, or writes when call.IsPut().
    template <typename Body> Members& Indexed(std::wstring_view name, Body body)
    {
        info_.Add(
            name,
            [body](Automatable& object, const Call& call) { return body(static_cast<T&>(object), call); },
            false);
        return *this;
    }

private:
    static void CheckPropertyGet(const Call& call, bool writable);
    static void CheckPropertyPut(const Call& call);
    ClassInfo& info_;
};

void RaiseReadOnlyProperty();
void RaiseWrongArgumentCount();

template <typename T> void Members<T>::CheckPropertyGet(const Call& call, bool writable)
{
    if (call.IsPut() && !writable) RaiseReadOnlyProperty();
    if (!call.arguments.empty()) RaiseWrongArgumentCount();
}

template <typename T> void Members<T>::CheckPropertyPut(const Call& call)
{
    if (!call.arguments.empty()) RaiseWrongArgumentCount();
}

// An enumerator (IEnumVARIANT) over a snapshot of values, for For Each.
support::Variant Enumerator(std::vector<support::Variant> items);

// An OLE font (IFontDisp) kept in step with its owner's font: changes a client
// makes to it reach the owner through IPropertyNotifySink, and the owner's own
// changes are written into it.
class OleFontLink {
public:
    using Apply = std::function<void(const FontSpec&)>;

    OleFontLink() = default;
    OleFontLink(const OleFontLink&) = delete;
    OleFontLink& operator=(const OleFontLink&) = delete;
    ~OleFontLink();

    // The font object, made from current on first use.
    support::ComPtr<IDispatch> Get(const FontSpec& current, Apply apply);
    // The owner's font changed to this.
    void Update(const FontSpec& wanted);
    // Another font object replaces ours (Set control.Font = otherFont): its values are taken over.
    static FontSpec SpecOf(IDispatch* font);

private:
    support::ComPtr<IFont> font_;
    support::ComPtr<IPropertyNotifySink> sink_;
    DWORD cookie_ = 0;
};

// A picture object (IPictureDisp) held by a property; its handle as a cursor.
HCURSOR CursorOf(IDispatch* picture) noexcept;

} // namespace automation

// A toolkit object that clients reach late-bound. The adapter is made on
// first use and keeps its identity for the object's whole life; calls that
// arrive after the object is gone fail with error 364 (object was unloaded).
class Automatable {
public:
    Automatable(const Automatable&) = delete;
    Automatable& operator=(const Automatable&) = delete;

    support::ComPtr<IDispatch> Dispatch();
    virtual const automation::ClassInfo& AutomationClass() const = 0;
    // Members beyond the class's own (a form's controls by name); empty when none.
    virtual support::ComPtr<IDispatch> NamedChild(std::wstring_view name) { return {}; }
    // The object behind an extender (a hosted control): it answers the names the class does not list.
    virtual support::ComPtr<IDispatch> ExtendedObject() { return {}; }

    // The toolkit object behind one of our adapters; nullptr for any other object.
    static Automatable* FromDispatch(IDispatch* object) noexcept;

protected:
    Automatable() = default;
    ~Automatable();

private:
    support::ComPtr<IDispatch> dispatcher_;
};

} // namespace toolkit
