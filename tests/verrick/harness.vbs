' Test harness put in front of every script: checks count, failures print one
' line each, and Summary prints the line the runner looks for.
Option Explicit
On Error Resume Next

Dim passed, failed
passed = 0
failed = 0

Sub Pass()
    passed = passed + 1
End Sub

Sub Fail(name, detail)
    failed = failed + 1
    WScript.Echo "FAIL: " & name & ": " & detail
End Sub

' A check made right after a statement: an error still pending fails it.
Sub Check(name, condition)
    If Err.Number <> 0 Then
        Fail name, "unexpected error " & Err.Number & " (" & Err.Description & ")"
        Err.Clear
    ElseIf condition Then
        Pass
    Else
        Fail name, "condition not met"
    End If
End Sub

Sub CheckEqual(name, actual, expected)
    If Err.Number <> 0 Then
        Fail name, "unexpected error " & Err.Number & " (" & Err.Description & ")"
        Err.Clear
    ElseIf (VarType(expected) = vbString Or VarType(expected) = vbBoolean) And VarType(actual) <> VarType(expected) Then
        Fail name, "got " & TypeName(actual) & " " & actual & ", expected " & TypeName(expected) & " " & expected
    ElseIf actual <> expected Then
        Fail name, "got [" & actual & "], expected [" & expected & "]"
    Else
        Pass
    End If
End Sub

' The error the last statement raised, then clears it.
Sub CheckError(name, expected)
    If Err.Number = expected Then
        Pass
    Else
        Fail name, "Err.Number " & Err.Number & " (" & Err.Description & "), expected " & expected
    End If
    Err.Clear
End Sub

Sub Summary()
    WScript.Echo passed & " passed, " & failed & " failed"
End Sub
