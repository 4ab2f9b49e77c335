' Driven by x11_clipboard.sh: one step per run, results written as UTF-16
' (a script's console output is ANSI).
'   x11_clipboard.vbs read OUT.txt      GetHTML parts and GetText to OUT.txt
'   x11_clipboard.vbs write IN.txt      SetText and SetHTML of IN.txt's first line
Option Explicit
Dim clip, fso, mode, path, f, text, r
Set clip = CreateObject("Velmora.tlvClipboard")
Set fso = CreateObject("Scripting.FileSystemObject")
mode = WScript.Arguments(0)
path = WScript.Arguments(1)
If mode = "read" Then
    Set f = fso.CreateTextFile(path, True, True)
    f.WriteLine "fragment=" & clip.GetHTML()
    f.WriteLine "html=" & clip.GetHTML(1)
    f.WriteLine "text=" & clip.GetText()
    f.WriteLine "available=" & clip.IsFormatAvailable(clip.CF_HTML)
    f.Close
Else
    Set f = fso.OpenTextFile(path, 1, False, -1)
    text = f.ReadLine
    f.Close
    r = clip.Clear()
    r = r And clip.SetText(text)
    r = r And clip.SetHTML("<i>" & text & "</i>")
    WScript.Echo "set=" & r
End If
