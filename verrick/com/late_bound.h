#pragma once
// Calls into objects we only know by IDispatch: controls, forms and
// collections of the client. Members are reached by name; a failure raises
// the run-time error a VB client would get for the same call.

#include <windows.h>
#include <oleauto.h>

#include <functional>
#include <initializer_list>
#include <string_view>

#include "support/com.h"
#include "support/runtime_error.h"

namespace verrick::late {

// The member's DISPID; raises 438 when the object has no such member.
DISPID MemberId(IDispatch* object, std::wstring_view name);

// Raw call: arguments in source order (first argument first).
support::Variant Invoke(IDispatch* object, DISPID member, WORD flags,
                        std::initializer_list<VARIANT> arguments, std::wstring_view nameForErrors = {});

// object.Name or object.Name(arguments) as an expression.
support::Variant Get(IDispatch* object, std::wstring_view name,
                     std::initializer_list<VARIANT> arguments = {});
// object.Name = value
void Put(IDispatch* object, std::wstring_view name, const VARIANT& value);
// Set object.Name = value (a plain assignment when the member knows no Set).
void PutRef(IDispatch* object, std::wstring_view name, const VARIANT& value);
// object.Name arguments, as a statement.
support::Variant Call(IDispatch* object, std::wstring_view name,
                      std::initializer_list<VARIANT> arguments = {});
// object(arguments): the default member.
support::Variant GetDefault(IDispatch* object, std::initializer_list<VARIANT> arguments);

// The object in a value; raises 424 (object required) for anything else, 91 for Nothing.
support::ComPtr<IDispatch> ObjectOf(const VARIANT& value);
// The same for an object argument; raises 424 for Nothing.
support::ComPtr<IDispatch> RequireObject(IDispatch* object);

// The class name a VB client's TypeName would give (without a leading underscore); empty when unknown.
std::wstring TypeNameOf(IDispatch* object);

// For Each over an array or an enumerable object (one with _NewEnum).
void ForEach(const VARIANT& items, const std::function<void(const VARIANT&)>& visit);

} // namespace verrick::late
