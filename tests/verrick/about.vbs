' The About box as a script reaches it: the three methods late-bound, each box
' closed by Esc that a helper program presses on it, and the errors a script
' sees for a missing application object.

'#include dialog_closer.vbs

Plan 8

Dim m

' The box's caption, escaped: the script's own text is ANSI.
Const kBoxCaption = "\u041E \u043F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u0435"

Sub CloseBoxWithEsc()
    CloseWith kBoxCaption, 27
End Sub

Class ScriptApp
    Public Title
    Public Major
    Public Minor
    Public Revision
End Class

Class ScriptForm
    Public hWnd
End Class

Dim app, frm
Set app = New ScriptApp
app.Title = "Script Program"
app.Major = 4
app.Minor = 2
app.Revision = 99
Set frm = New ScriptForm
frm.hWnd = 0

Set m = CreateObject("Velmora.tlvMain")

CloseBoxWithEsc
m.ShowAboutBox frm, app, "Opened from a script"
CheckNoError "ShowAboutBox with a form without a window and no picture"
CheckClosed "ShowAboutBox showed its box"

CloseBoxWithEsc
m.ShowAboutBox2 Nothing, Nothing, app
CheckNoError "ShowAboutBox2 with no icons"
CheckClosed "ShowAboutBox2 showed its box"

CloseBoxWithEsc
m.ShowAboutBoxEx "Script Title", , , 1, 2, 3, "Author", "", "Devote", "Description", , "Tip"
CheckNoError "ShowAboutBoxEx with arguments left out"
CheckClosed "ShowAboutBoxEx showed its box"

ExpectError
m.ShowAboutBox frm, Nothing
CheckError "ShowAboutBox without an application object", 424

ExpectError
m.ShowAboutBox2 Nothing, Nothing, New ScriptForm
CheckError "an application object without a title", 438

Summary
