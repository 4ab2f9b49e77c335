' Test harness put in front of every script.
'
' Under On Error Resume Next a statement whose arguments raise is skipped
' whole, check included, and its error stays pending. So:
' - a script says first how many checks it makes (Plan N), and the runner
'   fails unless exactly that many ran;
' - a statement expected to raise comes after ExpectError, which clears
'   whatever was pending, and before CheckError, which refuses to judge an
'   error it was not told to expect;
' - every other check fails on a pending error.
Option Explicit
On Error Resume Next

Dim planned, ran, failed, expecting
planned = -1
ran = 0
failed = 0
expecting = False

Sub Plan(count)
    planned = count
End Sub

Sub Fail(name, detail)
    failed = failed + 1
    WScript.Echo "FAIL: " & name & ": " & detail
End Sub

' An error pending where none may be: reported, then cleared. True when there was one.
Function Stray(name)
    Stray = Err.Number <> 0
    If Stray Then
        Fail name, "unexpected error " & Err.Number & " (" & Err.Description & ")"
        Err.Clear
    End If
End Function

Sub Check(name, condition)
    ran = ran + 1
    If Stray(name) Then Exit Sub
    If Not condition Then Fail name, "condition not met"
End Sub

' The statements since the last check ran without an error.
Sub CheckNoError(name)
    ran = ran + 1
    Stray name
End Sub

Sub CheckEqual(name, actual, expected)
    ran = ran + 1
    If Stray(name) Then Exit Sub
    If (VarType(expected) = vbString Or VarType(expected) = vbBoolean) And VarType(actual) <> VarType(expected) Then
        Fail name, "got " & TypeName(actual) & " " & actual & ", expected " & TypeName(expected) & " " & expected
    ElseIf actual <> expected Then
        Fail name, "got [" & actual & "], expected [" & expected & "]"
    End If
End Sub

' Put right before a statement that should raise: what was pending is a fault
' of its own, not the expected error.
Sub ExpectError()
    Stray "before ExpectError"
    expecting = True
End Sub

' The error the statements since ExpectError raised; cleared afterwards.
Sub CheckError(name, expected)
    ran = ran + 1
    If Not expecting Then
        Fail name, "no ExpectError before the statement"
    ElseIf Err.Number <> expected Then
        Fail name, "Err.Number " & Err.Number & " (" & Err.Description & "), expected " & expected
    End If
    expecting = False
    Err.Clear
End Sub

' The line the runner reads.
Sub Summary()
    Stray "after the last check"
    WScript.Echo "checks: " & ran & " of " & planned & " ran, " & failed & " failed"
End Sub
