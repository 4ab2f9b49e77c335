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

' A condition is a Boolean: Null or a number would pass an If unseen.
Sub Check(name, condition)
    ran = ran + 1
    If Stray(name) Then Exit Sub
    If VarType(condition) <> vbBoolean Then
        Fail name, "got " & Shown(condition) & ", expected a Boolean"
    ElseIf Not condition Then
        Fail name, "condition not met"
    End If
End Sub

' The statements since the last check ran without an error.
Sub CheckNoError(name)
    ran = ran + 1
    Stray name
End Sub

' A value as a failure shows it, without raising on an object or an array.
Function Shown(value)
    Shown = TypeName(value)
    If Not IsObject(value) And Not IsArray(value) And Not IsNull(value) And Not IsEmpty(value) Then
        Shown = Shown & " [" & value & "]"
    End If
End Function

' Null equals nothing, and Empty only Empty (a comparison would take it for 0 or "").
Sub CheckEqual(name, actual, expected)
    Dim differ
    ran = ran + 1
    If Stray(name) Then Exit Sub
    If IsNull(actual) Or IsNull(expected) Or IsEmpty(actual) <> IsEmpty(expected) Then
        Fail name, "got " & Shown(actual) & ", expected " & Shown(expected)
    ElseIf (VarType(expected) = vbString Or VarType(expected) = vbBoolean) And VarType(actual) <> VarType(expected) Then
        Fail name, "got " & Shown(actual) & ", expected " & Shown(expected)
    Else
        differ = True
        differ = actual <> expected
        If Err.Number <> 0 Then
            Err.Clear
            Fail name, "got " & Shown(actual) & ", which cannot be compared with " & Shown(expected)
        ElseIf differ Then
            Fail name, "got " & Shown(actual) & ", expected " & Shown(expected)
        End If
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
