' tlvAlone within one process; two real processes are tested from C++.
Plan 20
Dim a, b, r, id
id = "{tests-alone-vbs}"

Set a = CreateObject("Velmora.tlvAlone")
Set b = CreateObject("Velmora.tlvAlone")
CheckEqual "AppGUID before any check", a.AppGUID, ""
Check "registered activation message", a.WM_ACTIVATE_PREV_INSTANCE >= &HC000&
CheckEqual "one message for every object", b.WM_ACTIVATE_PREV_INSTANCE, a.WM_ACTIVATE_PREV_INSTANCE
' Nothing is marked with the empty identifier.
CheckEqual "ActivatePrevInstanceWindow before any check", a.ActivatePrevInstanceWindow(), False

CheckEqual "first object is alone", a.IsAlone(id), True
CheckEqual "AppGUID", a.AppGUID, id
CheckEqual "second object is not", b.IsAlone(id), False
CheckEqual "the first again: its own mutex does not count", a.IsAlone(id), False
Set b = Nothing
CheckEqual "alone once the other object is gone", a.IsAlone(id), True
CheckEqual "asked twice by one object", a.IsAlone(id), True

Set b = CreateObject("Velmora.tlvAlone")
CheckEqual "desktop scope, first", a.IsAloneOnDesktop(id), True
CheckEqual "desktop scope, second", b.IsAloneOnDesktop(id), False
CheckEqual "user scope, first", a.IsAloneAtUser(id), True
CheckEqual "user scope, second", b.IsAloneAtUser(id), False
CheckEqual "scopes are apart", b.IsAlone(id & "-other"), True

' No window, a method outside 69 to 71, an empty identifier: False.
CheckEqual "mark no window", a.MarkPrevInstanceWindow(0, 69), False
CheckEqual "mark with method 72", a.MarkPrevInstanceWindowEx(0, 72, id), False
CheckEqual "unmark no window", a.UnMarkPrevInstanceWindow(0), False
CheckEqual "unmark no window, Ex", a.UnMarkPrevInstanceWindowEx(0, id), False
CheckEqual "activate an identifier nobody marked", a.ActivatePrevInstanceWindowEx(id & "-none"), False

Summary
