' tlvClipboard while a second process holds the clipboard open, and the
' clipboard free for a second process after every member: on success, on
' failure and after a raised error.
'#include clipboard_bytes.vbs
Dim clip, tlv, sh, fso, peer, flag, scale, start, fmt, custom, files, before, r, s, c, data, size
Plan 35
Set clip = CreateObject("Velmora.tlvClipboard")
Set tlv = CreateObject("Velmora.tlvMain")
Set sh = CreateObject("WScript.Shell")
Set fso = CreateObject("Scripting.FileSystemObject")
peer = """" & Replace("Z:" & sh.Environment("PROCESS")("CLIPBOARD_PEER"), "/", "\") & """"
flag = fso.BuildPath(fso.GetSpecialFolder(2), fso.GetTempName())
scale = 1
If sh.Environment("PROCESS")("VORLAN_WAIT_SCALE") <> "" Then scale = CLng(sh.Environment("PROCESS")("VORLAN_WAIT_SCALE"))

' The second process opens the clipboard at its first attempt.
Sub CheckFree(name)
    Dim code
    code = sh.Run(peer & " probe", 0, True)
    CheckEqual name & ": then free", code, 0
End Sub

' Whether a minute (longer where programs run slowly) has passed since start.
Function Late(since)
    Late = Timer - since > 60 * scale
End Function

fmt = clip.CF_HTML
custom = 49997
Set files = tlv.SplitCollection("C:\a.txt|D:\b.txt", "|")
r = clip.Clear()
r = clip.SetText("held") And clip.SetHTML("<b>x</b>") And clip.SetRAWData(custom, Array(1, 2, 3)) _
    And clip.SetShellFiles(files)
CheckEqual "formats set", r, True
before = clip.GetFormatsCount()
data = Array()

' Held by the second process: every member that opens the clipboard fails.
sh.Run peer & " hold """ & flag & """", 0, False
start = Timer
Do Until fso.FileExists(flag) Or Late(start)
Loop
CheckEqual "held by the second process", fso.FileExists(flag), True
CheckEqual "Clear", clip.Clear(), False
CheckEqual "SetHTML", clip.SetHTML("y"), False
CheckEqual "GetHTML", clip.GetHTML(), ""
CheckEqual "SetText", clip.SetText("z"), False
CheckEqual "GetText", clip.GetText() & "|" & clip.GetText(True), "|"
CheckEqual "SetRAWData", clip.SetRAWData(custom, Array(9)), False
size = -1
r = clip.GetRAWData(custom, data, size)
CheckEqual "GetRAWData", r & " " & size, "False -1"
CheckEqual "GetFormats", clip.GetFormats() Is Nothing, True
CheckEqual "SetShellFiles", clip.SetShellFiles(files), False
CheckEqual "GetShellFiles", clip.GetShellFiles() Is Nothing, True
' Members that do not open the clipboard still answer.
s = clip.IsFormatAvailable(custom) & " " & clip.GetFormatsCount() & " " & clip.GetFormatName(fmt)
CheckEqual "members without opening", s, "True " & before & " HTML Format"
' Let go: the second process closes the clipboard a moment later.
fso.DeleteFile flag
start = Timer
Do While clip.GetFormats() Is Nothing And Not Late(start)
Loop
CheckEqual "nothing changed while held", clip.GetFormatsCount() & " " & clip.GetText(), before & " held"

' After every member, on success.
r = clip.Clear()
CheckFree "Clear"
s = clip.CF_HTML
CheckFree "CF_HTML"
r = clip.SetHTML("<b>x</b>")
CheckFree "SetHTML"
s = clip.GetHTML()
CheckFree "GetHTML"
r = clip.SetText("plain")
CheckFree "SetText"
s = clip.GetText()
CheckFree "GetText"
s = clip.GetText(True)
CheckFree "GetText ANSI"
r = clip.IsFormatAvailable(1)
CheckFree "IsFormatAvailable"
r = clip.SetRAWData(custom, Array(1, 2, 3))
CheckFree "SetRAWData"
r = clip.GetRAWData(custom, data, size)
CheckFree "GetRAWData"
s = clip.GetFormatName(fmt)
CheckFree "GetFormatName"
s = clip.GetFormatsCount()
CheckFree "GetFormatsCount"
Set c = clip.GetFormats()
CheckFree "GetFormats"
r = clip.SetShellFiles(files)
CheckFree "SetShellFiles"
Set c = clip.GetShellFiles()
CheckFree "GetShellFiles"

' After failures and raised errors.
r = clip.SetRAWData(15, Array(20, 0, 0))
Set c = clip.GetShellFiles()
CheckFree "GetShellFiles of a short block"
r = clip.GetRAWData(49996, data, size)
CheckFree "GetRAWData of an absent format"
r = clip.SetRAWData(fmt, Bytes("StartFragment:00000000x1"))
ExpectError
s = clip.GetHTML()
CheckError "GetHTML of a number that is none", 13
CheckFree "GetHTML raising 13"
r = clip.SetRAWData(fmt, Bytes("StartFragment:0000000050|EndFragment:0000000040"))
ExpectError
s = clip.GetHTML()
CheckError "GetHTML with its end before its start", 5
CheckFree "GetHTML raising 5"
Summary
