' tlvAutorunSupport, run by autorun.sh in two phases ("add", then "remove");
' between them the runner reads the Run keys back with reg.exe.
Dim phase, a, fso, path, userId, machineId, blankId, ownId, r
phase = WScript.Arguments(0)
If phase = "add" Then Plan 23 Else Plan 10
userId = "{6F7C8B25-29F2-43FC-B296-8FCD49395DF2}"
machineId = "{0D075052-99B3-4ED4-A425-142196F8D47A}"
blankId = "{2A1F41AC-905B-400D-9083-EA6CC0E648B2}"
ownId = "{0F707C56-3B03-4F5B-9F57-45BAAB7B204F}"

' The command line with blanks and Cyrillic letters, from the runner's UTF-16 file.
Set fso = CreateObject("Scripting.FileSystemObject")
Set r = fso.OpenTextFile(fso.GetParentFolderName(WScript.ScriptFullName) & "\path.txt", 1, False, -1)
path = r.ReadLine
r.Close

Set a = CreateObject("Velmora.tlvAutorunSupport")
CheckEqual "a fresh object works for the current user", a.ForCurrentUserOnly, True

If phase = "add" Then
    ' An empty identifier is refused and touches nothing.
    CheckEqual "AddToAutorun without identifier", a.AddToAutorun("", "x"), False
    CheckEqual "IsInAutorun without identifier", a.IsInAutorun(""), False
    CheckEqual "GetAutorunString without identifier", a.GetAutorunString(""), ""
    CheckEqual "DeleteFromAutorun without identifier", a.DeleteFromAutorun(""), False
    ' A NUL inside the identifier would name another value: error 5.
    ExpectError
    r = a.AddToAutorun(userId & Chr(0) & "x", "x")
    CheckError "AddToAutorun, identifier with a NUL", 5
    ExpectError
    r = a.IsInAutorun(userId & Chr(0))
    CheckError "IsInAutorun, identifier with a NUL", 5
    ExpectError
    r = a.GetAutorunString(Chr(0) & userId)
    CheckError "GetAutorunString, identifier with a NUL", 5
    ExpectError
    r = a.DeleteFromAutorun(userId & Chr(0))
    CheckError "DeleteFromAutorun, identifier with a NUL", 5

    CheckEqual "not yet in autorun", a.IsInAutorun(userId), False
    CheckEqual "AddToAutorun for the user", a.AddToAutorun(userId, path), True
    CheckEqual "IsInAutorun for the user", a.IsInAutorun(userId), True
    CheckEqual "the path comes back whole", a.GetAutorunString(userId), path

    ' Only an identifier: the running program's own path, without quotes.
    CheckEqual "AddToAutorun with the own path", a.AddToAutorun(ownId), True
    CheckEqual "own path", LCase(a.GetAutorunString(ownId)), LCase(WScript.FullName)

    ' Blanks only: read back unchanged, but not counted as registered.
    CheckEqual "AddToAutorun with blanks", a.AddToAutorun(blankId, "   "), True
    CheckEqual "blanks read back", a.GetAutorunString(blankId), "   "
    CheckEqual "blanks are not in autorun", a.IsInAutorun(blankId), False

    a.ForCurrentUserOnly = False
    CheckEqual "ForCurrentUserOnly False", a.ForCurrentUserOnly, False
    CheckEqual "the user's entry is not the machine's", a.IsInAutorun(userId), False
    CheckEqual "AddToAutorun for the machine", a.AddToAutorun(machineId, path & " /machine"), True
    CheckEqual "machine entry comes back whole", a.GetAutorunString(machineId), path & " /machine"
    a.ForCurrentUserOnly = True
    CheckEqual "the machine's entry is not the user's", a.IsInAutorun(machineId), False
Else
    CheckEqual "still there", a.GetAutorunString(userId), path
    CheckEqual "DeleteFromAutorun for the user", a.DeleteFromAutorun(userId), True
    CheckEqual "gone", a.IsInAutorun(userId), False
    CheckEqual "gone, no text", a.GetAutorunString(userId), ""
    CheckEqual "deleting again fails", a.DeleteFromAutorun(userId), False
    CheckEqual "DeleteFromAutorun own path", a.DeleteFromAutorun(ownId), True
    CheckEqual "DeleteFromAutorun blanks", a.DeleteFromAutorun(blankId), True
    a.ForCurrentUserOnly = False
    CheckEqual "DeleteFromAutorun for the machine", a.DeleteFromAutorun(machineId), True
    CheckEqual "machine entry gone", a.IsInAutorun(machineId), False
End If

Summary
