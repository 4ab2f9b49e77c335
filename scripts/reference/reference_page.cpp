#include "reference_page.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <map>
#include <set>

#include "support/runtime_error.h"

namespace reference {
namespace {

const std::wstring kErrorsFile = L"verrick/frame/member_errors.txt";
const std::wstring kMeaningsFile = L"verrick/frame/enum_members.txt";

std::wstring_view Trim(std::wstring_view text)
{
    while (!text.empty() && std::iswspace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && std::iswspace(text.back()))
        text.remove_suffix(1);
    return text;
}

// Calls read(line number, key, rest) for every line "key: rest" of a table.
template <typename Read>
void ReadTable(std::wstring_view table, const std::wstring& file, std::vector<std::wstring>& problems,
               Read&& read)
{
    int number = 0;
    while (!table.empty()) {
        const size_t end = table.find(L'\n');
        const std::wstring_view line = Trim(table.substr(0, end));
        table = end == std::wstring_view::npos ? std::wstring_view() : table.substr(end + 1);
        ++number;
        if (line.empty() || line.front() == L'#') continue;
        const size_t colon = line.find(L':');
        if (colon == std::wstring_view::npos) {
            problems.push_back(file + L" line " + std::to_wstring(number) +
                               L": no \"Name.Member:\" at its start");
            continue;
        }
        read(number, std::wstring(Trim(line.substr(0, colon))), Trim(line.substr(colon + 1)));
    }
}

// A class as the page shows it: a coclass with its default interface and
// events, or an interface that members hand out without a class of its own.
struct ClassView {
    std::wstring name;
    const TypeEntry* coclass = nullptr;
    const TypeEntry* members = nullptr;
    const TypeEntry* events = nullptr;
    bool creatable = false;
};

const TypeEntry* Implementation(const Library& library, const TypeEntry& coclass, bool source)
{
    for (const Implemented& implemented : coclass.implemented) {
        const bool isSource = (implemented.flags & IMPLTYPEFLAG_FSOURCE) != 0;
        if ((implemented.flags & IMPLTYPEFLAG_FDEFAULT) && isSource == source)
            return library.Find(implemented.name);
    }
    return nullptr;
}

bool IsHidden(const Member& member)
{
    return (member.flags & (FUNCFLAG_FHIDDEN | FUNCFLAG_FRESTRICTED)) != 0;
}

bool IsRetval(const Parameter& parameter)
{
    return (parameter.flags & PARAMFLAG_FRETVAL) != 0;
}

// A member's accessors under one name (a property's Get, Let and Set), in library order.
struct MemberGroup {
    std::wstring name;
    std::vector<const Member*> accessors;
    bool hidden = false;
};

std::vector<MemberGroup> Groups(const TypeEntry& type)
{
    std::vector<MemberGroup> groups;
    for (const Member& member : type.members) {
        auto found = std::find_if(groups.begin(), groups.end(),
                                  [&](const MemberGroup& group) { return group.name == member.name; });
        if (found == groups.end()) {
            groups.push_back({member.name, {}, IsHidden(member)});
            found = groups.end() - 1;
        }
        found->accessors.push_back(&member);
    }
    return groups;
}

class PageWriter {
public:
    PageWriter(const Library& library, const Notes& notes) : library_(library), notes_(notes)
    {
        problems_ = notes.problems;
        for (const TypeEntry& type : library_.types) {
            if (type.kind != TKIND_COCLASS) continue;
            ClassView view;
            view.name = type.name;
            view.coclass = &type;
            view.members = Implementation(library_, type, false);
            view.events = Implementation(library_, type, true);
            view.creatable = (type.flags & TYPEFLAG_FCANCREATE) != 0;
            if (view.members) classOf_[view.members->name] = view.name;
            if (view.events) classOf_[view.events->name] = view.name;
            views_.push_back(view);
        }
        // Interfaces no class stands for: named as a script's TypeName names them.
        for (const TypeEntry& type : library_.types) {
            if ((type.kind != TKIND_DISPATCH && type.kind != TKIND_INTERFACE) || classOf_.count(type.name))
                continue;
            ClassView view;
            view.name = type.name.substr(type.name.find_first_not_of(L'_'));
            view.members = &type;
            classOf_[type.name] = view.name;
            views_.push_back(view);
        }
        std::stable_partition(views_.begin(), views_.end(),
                              [](const ClassView& view) { return view.creatable; });
    }

    Page Write()
    {
        CheckHelpStrings();
        CheckTables();
        Introduction();
        Contents();
        for (const ClassView& view : views_)
            Class(view);
        for (const TypeEntry& type : library_.types)
            if (type.kind == TKIND_ENUM) Enumeration(type);
        return {text_, problems_};
    }

private:
    // --- checks ---

    void CheckHelpStrings()
    {
        if (library_.help.empty())
            problems_.push_back(L"the library " + library_.name + L" has no help string");
        for (const TypeEntry& type : library_.types) {
            if (type.help.empty()) problems_.push_back(type.name + L" has no help string");
            for (const MemberGroup& group : Groups(type))
                if (group.accessors.front()->help.empty())
                    problems_.push_back(type.name + L"." + group.name + L" has no help string");
        }
    }

    void CheckTables()
    {
        std::set<std::wstring> documented, described;
        for (const ClassView& view : views_)
            for (const MemberGroup& group : Groups(*view.members))
                if (!group.hidden) documented.insert(view.name + L"." + group.name);
        for (const TypeEntry& type : library_.types)
            if (type.kind == TKIND_ENUM)
                for (const Constant& constant : type.constants)
                    described.insert(type.name + L"." + constant.name);

        std::set<std::wstring> seen;
        for (const Notes::Errors& entry : notes_.errors) {
            const std::wstring where = kErrorsFile + L" line " + std::to_wstring(entry.line) + L": ";
            if (!documented.count(entry.member))
                problems_.push_back(where + entry.member + L" is no member of a class of the library");
            if (!seen.insert(entry.member).second) problems_.push_back(where + entry.member + L" again");
            for (long number : entry.numbers)
                if (support::StandardErrorText(number).empty())
                    problems_.push_back(where + L"error " + std::to_wstring(number) +
                                        L" has no standard text");
        }
        for (const std::wstring& member : documented)
            if (!seen.count(member)) problems_.push_back(member + L" has no line in " + kErrorsFile);

        seen.clear();
        for (const Notes::Meaning& entry : notes_.meanings) {
            const std::wstring where = kMeaningsFile + L" line " + std::to_wstring(entry.line) + L": ";
            if (!described.count(entry.member))
                problems_.push_back(where + entry.member + L" is no member of an enumeration of the library");
            if (!seen.insert(entry.member).second) problems_.push_back(where + entry.member + L" again");
        }
        for (const std::wstring& member : described)
            if (!seen.count(member)) problems_.push_back(member + L" has no line in " + kMeaningsFile);
    }

    // --- types and declarations as a VB program writes them ---

    struct VbType {
        std::wstring name;
        bool array = false;
        bool byRef = false;
    };

    // pointers: how many of the leading pointers belong to the parameter's
    // passing (an out-parameter for the result carries one more).
    VbType Describe(const TypeRef& type, int resultPointer) const
    {
        size_t at = 0;
        int pointers = -resultPointer;
        while (at < type.chain.size() && type.chain[at] == VT_PTR) {
            ++pointers;
            ++at;
        }
        VbType vb;
        if (at < type.chain.size() && type.chain[at] == VT_SAFEARRAY) vb.array = true;
        const VARTYPE base = type.Base();
        // An interface is an object reference in itself: its first pointer is the reference.
        if (base == VT_USERDEFINED && !vb.array &&
            (type.kind == TKIND_INTERFACE || type.kind == TKIND_DISPATCH || type.kind == TKIND_COCLASS))
            --pointers;
        vb.byRef = pointers > 0 || vb.array;
        switch (base) {
        case VT_I2: vb.name = L"Integer"; break;
        case VT_I4:
        case VT_INT: vb.name = L"Long"; break;
        case VT_R4: vb.name = L"Single"; break;
        case VT_R8: vb.name = L"Double"; break;
        case VT_CY: vb.name = L"Currency"; break;
        case VT_DATE: vb.name = L"Date"; break;
        case VT_BSTR: vb.name = L"String"; break;
        case VT_DISPATCH: vb.name = L"Object"; break;
        case VT_BOOL: vb.name = L"Boolean"; break;
        case VT_VARIANT: vb.name = L"Variant"; break;
        case VT_UNKNOWN: vb.name = L"IUnknown"; break;
        case VT_UI1: vb.name = L"Byte"; break;
        case VT_USERDEFINED: vb.name = ClassName(type.name); break;
        default: vb.name = IdlType(type); break;
        }
        return vb;
    }

    std::wstring ClassName(const std::wstring& typeName) const
    {
        auto found = classOf_.find(typeName);
        return found == classOf_.end() ? typeName : found->second;
    }

    std::wstring DefaultText(const Parameter& parameter) const
    {
        const VARIANT& value = *parameter.defaultValue;
        if (parameter.type.Base() == VT_USERDEFINED && parameter.type.kind == TKIND_ENUM) {
            if (const TypeEntry* enumeration = library_.Find(parameter.type.name))
                for (const Constant& constant : enumeration->constants)
                    if (ValueText(*constant.value) == ValueText(value)) return constant.name;
        }
        if (parameter.type.Base() == VT_BOOL) return ValueText(value) == L"0" ? L"False" : L"True";
        if (value.vt == VT_BSTR) {
            std::wstring text = L"\"";
            for (wchar_t c : support::BstrView(value.bstrVal))
                text += c == L'"' ? std::wstring(L"\"\"") : std::wstring(1, c);
            return text + L"\"";
        }
        return ValueText(value);
    }

    std::wstring ParameterText(const Parameter& parameter, bool paramArray, bool propertyValue) const
    {
        const std::wstring name = parameter.name.empty() && propertyValue ? L"RHS" : parameter.name;
        const VbType type = Describe(parameter.type, 0);
        if (paramArray) return L"ParamArray " + name + L"() As " + type.name;
        std::wstring text;
        if (parameter.flags & (PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT)) text += L"Optional ";
        text += type.byRef ? L"ByRef " : L"ByVal ";
        text += name + (type.array ? L"()" : L"") + L" As " + type.name;
        if (parameter.flags & PARAMFLAG_FHASDEFAULT) text += L" = " + DefaultText(parameter);
        return text;
    }

    // One declaration; long ones continue on further lines, one parameter each.
    std::wstring Declaration(const Member& member, bool event) const
    {
        const Parameter* result = nullptr;
        std::vector<std::wstring> parameters;
        for (size_t i = 0; i < member.parameters.size(); ++i) {
            const Parameter& parameter = member.parameters[i];
            if (IsRetval(parameter)) {
                result = &parameter;
                continue;
            }
            const bool last = i + 1 == member.parameters.size() ||
                              (i + 2 == member.parameters.size() && IsRetval(member.parameters[i + 1]));
            const bool propertyValue =
                last && (member.invokeKind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF));
            parameters.push_back(ParameterText(parameter, last && member.optionalCount == -1, propertyValue));
        }
        std::wstring head;
        if (event)
            head = L"Event ";
        else if (member.invokeKind == INVOKE_PROPERTYGET)
            head = L"Property Get ";
        else if (member.invokeKind == INVOKE_PROPERTYPUT)
            head = L"Property Let ";
        else if (member.invokeKind == INVOKE_PROPERTYPUTREF)
            head = L"Property Set ";
        else
            head = result ? L"Function " : L"Sub ";
        head += member.name + L"(";
        std::wstring tail = L")";
        if (result) {
            const VbType type = Describe(result->type, 1);
            tail += L" As " + type.name + (type.array ? L"()" : L"");
        }

        std::wstring oneLine = head;
        for (size_t i = 0; i < parameters.size(); ++i)
            oneLine += (i ? L", " : L"") + parameters[i];
        oneLine += tail;
        if (oneLine.size() <= 100 || parameters.size() < 2) return oneLine;
        std::wstring text = head;
        const std::wstring indent(head.size(), L' ');
        for (size_t i = 0; i < parameters.size(); ++i)
            text += (i ? L", _\n" + indent : L"") + parameters[i];
        return text + tail;
    }

    // --- the page ---

    void Line(const std::wstring& line = {}) { text_ += line + L"\n"; }

    static std::wstring Anchor(std::wstring heading)
    {
        std::wstring anchor;
        for (wchar_t c : heading) {
            if (std::iswalnum(c) || c == L'_' || c == L'-')
                anchor += static_cast<wchar_t>(std::towlower(c));
            else if (c == L' ')
                anchor += L'-';
        }
        return L"#" + anchor;
    }

    std::wstring Link(const std::wstring& heading) const
    {
        return L"[" + heading + L"](" + Anchor(heading) + L")";
    }

    void Introduction()
    {
        Line(L"# Verrick reference");
        Line();
        Line(L"<!-- Made by scripts/make-reference.sh from the built type library and the two tables beside "
             L"its");
        Line(L"     IDL (" + kErrorsFile + L", " + kMeaningsFile + L"). Edit those, not this page. -->");
        Line();
        Line(L"Every class, member and enumeration of `" + library_.name + L"`, the type library built into");
        Line(L"Verrick.dll (" + GuidText(library_.guid) + L", version " + std::to_wstring(library_.major) +
             L"." + std::to_wstring(library_.minor) + L"; a VB6 or VBA project's References list it as");
        Line(L"\"" + library_.help + L"\"). How to register the server, and one client in VBScript,");
        Line(L"JScript and C++: [Using Verrick from a program](../README.md#using-verrick-from-a-program).");
        Line();
        Line(L"How to read it:");
        Line();
        Line(L"- Declarations are written as a VB6 or VBA program would declare them. `ByVal` and `ByRef` "
             L"say");
        Line(L"  how an argument is passed (a variable passed `ByRef` may be written back), `Optional` marks "
             L"one");
        Line(L"  that may be left out (`= value` is what it then stands for; without a value the member "
             L"knows");
        Line(L"  it was left out), and `ParamArray` takes any number of arguments. Scripts pass every "
             L"argument as");
        Line(L"  a Variant, which the library converts to the declared type.");
        Line(L"- Global classes can be used in VB6 and VBA without an object: `SplitCollection(...)` calls");
        Line(L"  `tlvMain.SplitCollection`. Scripts and C++ create them as any other class.");
        Line(L"- A property is one entry with its `Property Get`, `Let` and `Set`; `RHS` stands for the "
             L"value");
        Line(L"  assigned. A class's *default member* is used where an object is written without a member");
        Line(L"  name: `paths(2)` is `paths.Item(2)`.");
        Line(L"- \"Raises\" lists the run-time errors a member raises itself (`Err.Number`; `Err.Source` is");
        Line(L"  `Velmora.` and the class; a C++ client gets the HRESULT 0x800A0000 + number). Beyond those, "
             L"a");
        Line(L"  late-bound call raises 13 (Type mismatch) for an argument that does not convert to its "
             L"declared");
        Line(L"  type (6, Overflow, for a number outside its range; 94, Invalid use of Null, for Null), 449");
        Line(L"  (Argument not optional) for a required one left out and 450 (Wrong number of arguments");
        Line(
            L"  or invalid property assignment) for too many; any member can raise 7 (Out of memory); and a");
        Line(L"  member that calls an object of the caller's (a form, a control, a collection) passes on "
             L"what");
        Line(L"  that object raises.");
        Line();
    }

    std::wstring ClassHelp(const ClassView& view) const
    {
        return view.coclass ? view.coclass->help : view.members->help;
    }

    void Contents()
    {
        Line(L"## Contents");
        Line();
        Line(L"| Class | What it is for |");
        Line(L"|---|---|");
        for (const ClassView& view : views_)
            if (view.creatable) Line(L"| " + Link(view.name) + L" | " + ClassHelp(view) + L" |");
        Line();
        Line(L"| Object handed out by a member | What it is |");
        Line(L"|---|---|");
        for (const ClassView& view : views_)
            if (!view.creatable) Line(L"| " + Link(view.name) + L" | " + ClassHelp(view) + L" |");
        Line();
        Line(L"| Enumeration | What it is for |");
        Line(L"|---|---|");
        for (const TypeEntry& type : library_.types)
            if (type.kind == TKIND_ENUM) Line(L"| " + Link(type.name) + L" | " + type.help + L" |");
        Line();
    }

    // Members of the documented classes whose result, or one of whose parameters, is of the named type.
    std::wstring UsedBy(const std::wstring& typeName, bool resultsOnly) const
    {
        std::vector<std::wstring> users;
        for (const ClassView& view : views_) {
            for (const MemberGroup& group : Groups(*view.members)) {
                if (group.hidden) continue;
                bool uses = false;
                for (const Member* member : group.accessors)
                    for (const Parameter& parameter : member->parameters)
                        if ((!resultsOnly || IsRetval(parameter)) &&
                            parameter.type.Base() == VT_USERDEFINED && parameter.type.name == typeName)
                            uses = true;
                if (uses) users.push_back(Link(view.name + L"." + group.name));
            }
        }
        std::wstring text;
        for (size_t i = 0; i < users.size(); ++i)
            text += (i ? L", " : L"") + users[i];
        return text;
    }

    void Class(const ClassView& view)
    {
        Line(L"## " + view.name);
        Line();
        Line(ClassHelp(view));
        Line();
        if (view.coclass) {
            const WORD flags = view.coclass->flags;
            if (flags & TYPEFLAG_FCONTROL)
                Line(L"- An ActiveX control: put it on a form (ProgID `" + library_.name + L"." + view.name +
                     L"`); its members are the control's own properties.");
            else if (flags & TYPEFLAG_FAPPOBJECT)
                Line(L"- Global: `CreateObject(\"" + library_.name + L"." + view.name +
                     L"\")`, or no object at all in VB6 and VBA.");
            else if (view.creatable)
                Line(L"- `CreateObject(\"" + library_.name + L"." + view.name + L"\")` or `New " +
                     library_.name + L"." + view.name + L"`.");
            if (view.creatable) Line(L"- Class id " + GuidText(view.coclass->guid) + L".");
        }
        if (!view.creatable) {
            const std::wstring users = UsedBy(view.members->name, true);
            Line(L"- Not created by clients; returned by " + (users.empty() ? L"no member" : users) + L".");
        }
        Line(L"- Interface `" + view.members->name + L"` " + GuidText(view.members->guid) +
             (view.coclass ? L": " + view.members->help : L"."));
        if (view.events)
            Line(L"- Events `" + view.events->name + L"` " + GuidText(view.events->guid) + L": " +
                 view.events->help);
        for (const Member& member : view.members->members)
            if (member.id == DISPID_NEWENUM)
                Line(L"- `For Each` walks its items (hidden member `" + member.name + L"`).");
        Line();

        for (const MemberGroup& group : Groups(*view.members)) {
            if (group.hidden) continue;
            const std::wstring key = view.name + L"." + group.name;
            Line(L"### " + key);
            Line();
            Line(group.accessors.front()->help);
            Line();
            // A property's accessors in the order Get, Let, Set.
            std::vector<const Member*> accessors = group.accessors;
            std::stable_sort(accessors.begin(), accessors.end(), [](const Member* left, const Member* right) {
                return left->invokeKind < right->invokeKind;
            });
            Line(L"```vb");
            for (const Member* member : accessors)
                Line(Declaration(*member, false));
            Line(L"```");
            Line();
            if (group.accessors.front()->id == DISPID_VALUE) {
                Line(L"The default member.");
                Line();
            }
            Line(RaisesText(key));
            Line();
        }
        if (view.events) {
            for (const MemberGroup& group : Groups(*view.events)) {
                Line(L"### " + view.name + L"." + group.name + L" event");
                Line();
                Line(group.accessors.front()->help);
                Line();
                Line(L"```vb");
                Line(Declaration(*group.accessors.front(), true));
                Line(L"```");
                Line();
            }
        }
    }

    std::wstring RaisesText(const std::wstring& key) const
    {
        for (const Notes::Errors& entry : notes_.errors) {
            if (entry.member != key) continue;
            if (entry.numbers.empty()) return L"Raises no run-time error of its own.";
            std::wstring text = L"Raises ";
            for (size_t i = 0; i < entry.numbers.size(); ++i) {
                text += i == 0 ? L"" : i + 1 == entry.numbers.size() ? L" and " : L", ";
                text += std::to_wstring(entry.numbers[i]) + L" (" +
                        std::wstring(support::StandardErrorText(entry.numbers[i])) + L")";
            }
            return text + L".";
        }
        return L"Raises: not recorded.";
    }

    void Enumeration(const TypeEntry& type)
    {
        Line(L"## " + type.name);
        Line();
        Line(type.help);
        Line();
        const std::wstring users = UsedBy(type.name, false);
        if (!users.empty()) {
            Line(L"Used by " + users + L".");
            Line();
        }
        Line(L"| Constant | Value | Meaning |");
        Line(L"|---|---|---|");
        for (const Constant& constant : type.constants) {
            std::wstring meaning;
            for (const Notes::Meaning& entry : notes_.meanings)
                if (entry.member == type.name + L"." + constant.name) meaning = entry.text;
            Line(L"| `" + constant.name + L"` | " + ValueText(*constant.value) + L" | " + meaning + L" |");
        }
        Line();
    }

    const Library& library_;
    const Notes& notes_;
    std::vector<ClassView> views_;
    std::map<std::wstring, std::wstring> classOf_;
    std::wstring text_;
    std::vector<std::wstring> problems_;
};

} // namespace

Notes ReadNotes(std::wstring_view errors, std::wstring_view meanings)
{
    Notes notes;
    ReadTable(
        errors, kErrorsFile, notes.problems, [&](int line, std::wstring member, std::wstring_view rest) {
            Notes::Errors entry{std::move(member), {}, line};
            if (rest != L"none") {
                std::wstring_view numbers = rest;
                while (!(numbers = Trim(numbers)).empty()) {
                    const size_t end = numbers.find(L' ');
                    const std::wstring word(numbers.substr(0, end));
                    numbers = end == std::wstring_view::npos ? std::wstring_view() : numbers.substr(end);
                    wchar_t* stop = nullptr;
                    const long number = std::wcstol(word.c_str(), &stop, 10);
                    if (word.empty() || *stop || number <= 0) {
                        notes.problems.push_back(kErrorsFile + L" line " + std::to_wstring(line) + L": \"" +
                                                 word + L"\" is no error number (numbers, or none)");
                        continue;
                    }
                    entry.numbers.push_back(number);
                }
                if (entry.numbers.empty())
                    notes.problems.push_back(
                        kErrorsFile + L" line " + std::to_wstring(line) +
                        L": no error numbers (write none for a member that raises none)");
            }
            notes.errors.push_back(std::move(entry));
        });
    ReadTable(
        meanings, kMeaningsFile, notes.problems, [&](int line, std::wstring member, std::wstring_view rest) {
            if (rest.empty())
                notes.problems.push_back(kMeaningsFile + L" line " + std::to_wstring(line) + L": no meaning");
            notes.meanings.push_back({std::move(member), std::wstring(rest), line});
        });
    return notes;
}

Page MakePage(const Library& library, const Notes& notes)
{
    return PageWriter(library, notes).Write();
}

} // namespace reference
