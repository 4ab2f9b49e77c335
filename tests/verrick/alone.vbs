' tlvAlone within one process; two real processes are tested from C++.
Plan 26
Dim a, b, r, id, system, account
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
' The user scope's name holds the account's domain and name, as the system
' says them ("DOMAIN\name"), with a slash: a backslash would name a namespace.
For Each system In GetObject("winmgmts:\\.\root\cimv2").ExecQuery("SELECT UserName FROM Win32_ComputerSystem")
    account = Replace(system.UserName, "\", "/")
Next
r = a.IsAloneAtUser(id & "-account")
CheckEqual "user scope names the domain and the user", b.IsAlone(id & "-account_User_" & account), False

' No window, a method outside 69 to 71, an empty identifier: False.
CheckEqual "mark no window", a.MarkPrevInstanceWindow(0, 69), False
CheckEqual "mark with method 72", a.MarkPrevInstanceWindowEx(0, 72, id), False
CheckEqual "unmark no window", a.UnMarkPrevInstanceWindow(0), False
CheckEqual "unmark no window, Ex", a.UnMarkPrevInstanceWindowEx(0, id), False
CheckEqual "activate an identifier nobody marked", a.ActivatePrevInstanceWindowEx(id & "-none"), False

' A NUL inside an identifier would name another object: error 5.
ExpectError
r = a.IsAloneAtUser(id & Chr(0) & "-cut")
CheckError "IsAloneAtUser, identifier with a NUL", 5
CheckEqual "AppGUID kept", a.AppGUID, id & "-account"
ExpectError
r = a.MarkPrevInstanceWindowEx(0, 69, id & Chr(0))
CheckError "MarkPrevInstanceWindowEx, identifier with a NUL", 5
ExpectError
r = a.UnMarkPrevInstanceWindowEx(0, Chr(0) & id)
CheckError "UnMarkPrevInstanceWindowEx, identifier with a NUL", 5
ExpectError
r = a.ActivatePrevInstanceWindowEx(id & Chr(0) & "x")
CheckError "ActivatePrevInstanceWindowEx, identifier with a NUL", 5

Summary
