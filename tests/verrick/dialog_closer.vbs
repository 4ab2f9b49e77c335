' The helper program that closes a dialog by a key (DIALOG_CLOSER): started
' right before the statement that shows the dialog, judged right after it. It
' ends only once the dialog it pressed the key on has gone, so a helper still
' running when the dialog's statement has returned found no dialog.

Dim closerPath, closerShell, closerRun, closerScale
Set closerShell = CreateObject("WScript.Shell")
closerPath = Replace("Z:" & closerShell.Environment("PROCESS")("DIALOG_CLOSER"), "/", "\")
closerScale = closerShell.Environment("PROCESS")("VORLAN_WAIT_SCALE")
If closerScale = "" Then closerScale = 1

' Starts the helper on the dialog whose caption starts so (key 13 Enter, 27 Esc).
Sub CloseWith(caption, key)
    Set closerRun = closerShell.Exec("""" & closerPath & """ """ & caption & """ " & key)
End Sub

' The helper found its dialog and saw it close: it ends within moments (well
' within the 20 s it looks for a dialog). One still running is ended.
Sub CheckClosed(name)
    Dim start, ended
    start = Timer
    Do While closerRun.Status = 0 And Abs(Timer - start) < 10 * CLng(closerScale)
    Loop
    ended = closerRun.Status <> 0
    If Not ended Then closerRun.Terminate
    Check name, ended
End Sub
