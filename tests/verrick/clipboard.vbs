' tlvClipboard from a late-bound script: every member, the HTML block's
' offsets for Cyrillic and emoji, foreign blocks placed as raw bytes.
'#include clipboard_bytes.vbs
Dim clip, tlv, r, s, e, c, g, data, size, fmt, custom, shell, f, cyr, emoji, path1
Plan 63
Set clip = CreateObject("Velmora.tlvClipboard")
Set tlv = CreateObject("Velmora.tlvMain")
Set shell = CreateObject("WScript.Shell")

' Script files are ANSI: non-ASCII text comes from a UTF-16 file.
Set f = CreateObject("Scripting.FileSystemObject").OpenTextFile( _
    shell.Environment("PROCESS")("VERRICK_SCRIPT_DATA") & "\clipboard_text.txt", 1, False, -1)
cyr = f.ReadLine
emoji = f.ReadLine
path1 = f.ReadLine
f.Close
' A script has no typed arrays: it passes a Variant array for Data() As Byte.
data = Array()
CheckEqual "UTF-16 data read", Len(cyr) & " " & Len(emoji) & " " & Len(path1), "11 8 22"

r = clip.Clear()
CheckEqual "Clear", r, True
fmt = clip.CF_HTML
Check "CF_HTML registered", fmt > 0
CheckEqual "GetFormatName of CF_HTML", clip.GetFormatName(fmt), "HTML Format"
CheckEqual "GetFormatName of CF_TEXT", clip.GetFormatName(1), ""

' HTML
r = clip.SetHTML("")
CheckEqual "SetHTML of nothing", r, False
CheckEqual "nothing set", clip.GetFormatsCount(), 0
r = clip.SetHTML("abc")
CheckEqual "SetHTML", r, True
CheckEqual "fragment", clip.GetHTML(), "abc"
CheckEqual "ghrvFragment", clip.GetHTML(4), "abc"
CheckEqual "ghrvContextStart", clip.GetHTML(2), "<HTML><BODY><!--StartFragment-->"
CheckEqual "ghrvContextEnd", clip.GetHTML(3), "<!--EndFragment--></BODY></HTML>"
CheckEqual "ghrvHTML", clip.GetHTML(1), "<HTML><BODY><!--StartFragment-->abc<!--EndFragment--></BODY></HTML>"
s = clip.GetHTML(0)
Check "ghrvRaw header", InStr(s, "StartHTML:0000000105" & vbCrLf & "EndHTML:0000000173" & vbCrLf & _
    "StartFragment:0000000137" & vbCrLf & "EndFragment:0000000140") = 14
CheckEqual "ghrvSourceURL without the line", clip.GetHTML(6), ""
CheckEqual "ghrvSelection without the keys", clip.GetHTML(5), ""
CheckEqual "selector 7", clip.GetHTML(7), ""
r = clip.GetRAWData(fmt, data, size)
CheckEqual "GetRAWData of the block", r, True
Check "block size", size >= 174

s = "<div>"
e = "</div>"
r = clip.SetHTML("x", s, e)
CheckEqual "SetHTML with contexts", clip.GetHTML(1), "<div><!--StartFragment-->x<!--EndFragment--></div>"
CheckEqual "start context variable kept", s, "<div>"
CheckEqual "end context variable kept", e, "</div>"

r = clip.SetHTML(cyr)
CheckEqual "Cyrillic fragment", clip.GetHTML(), cyr
Check "Cyrillic offsets in UTF-8 bytes", InStr(clip.GetHTML(0), "StartFragment:0000000137" & vbCrLf & "EndFragment:0000000157") > 0
r = clip.SetHTML(emoji, "", "")
CheckEqual "emoji fragment", clip.GetHTML(), emoji
Check "emoji offsets in UTF-8 bytes", InStr(clip.GetHTML(0), "StartFragment:0000000125" & vbCrLf & "EndFragment:0000000135") > 0

' Foreign HTML blocks
r = clip.Clear()
r = clip.SetRAWData(fmt, Bytes("Version:0.9|StartHTML:108|EndHTML:116|SourceURL:http://example.org/|StartFragment:108|EndFragment:116|<b>x</b>"))
CheckEqual "raw HTML block set", r, True
CheckEqual "source URL", clip.GetHTML(6), "http://example.org/"
CheckEqual "short header numbers", clip.GetHTML(), "<b>x</b>"
r = clip.SetRAWData(fmt, Bytes("Version:1.0|StartFragment:abcdefghij|EndFragment:0000000010|"))
ExpectError
s = clip.GetHTML()
CheckError "header number not numeric", 13
r = clip.SetRAWData(fmt, Bytes("Version:1.0|StartFragment:0000000080|EndFragment:0000000070|"))
ExpectError
s = clip.GetHTML()
CheckError "end offset below start", 5
r = clip.SetRAWData(fmt, Bytes("Version:1.0|StartFragment:0000000063|EndFragment:0009999999|<b>y</b>"))
CheckEqual "end offset past the block", clip.GetHTML(), "<b>y</b>"

' Text
r = clip.SetText(cyr)
CheckEqual "SetText", r, True
CheckEqual "Unicode text available", clip.IsFormatAvailable(13), True
CheckEqual "ANSI text available", clip.IsFormatAvailable(1), True
CheckEqual "OEM text available", clip.IsFormatAvailable(7), True
CheckEqual "locale available", clip.IsFormatAvailable(16), True
CheckEqual "HTML kept: setters add", clip.IsFormatAvailable(fmt), True
CheckEqual "GetText", clip.GetText(), cyr
s = clip.GetText(True)
CheckEqual "GetText ANSI", Len(s), Len(cyr)
r = clip.GetRAWData(16, data, size)
CheckEqual "locale block", size, 4

' Formats
Set c = clip.GetFormats()
CheckEqual "GetFormats count", c.Count, clip.GetFormatsCount()
Check "formats listed", c.Count >= 5

' Raw data
custom = 49999
r = clip.SetRAWData(custom, Array())
CheckEqual "SetRAWData of nothing", r, False
r = clip.SetRAWData(custom, Array(1, 2, 255))
CheckEqual "SetRAWData", r, True
r = clip.GetRAWData(custom, data, size)
CheckEqual "GetRAWData", r, True
CheckEqual "GetRAWData size", size, 3
r = clip.GetRAWData(49998, data, size)
CheckEqual "GetRAWData of an absent format", r, False
' A one-pixel DIB, which the system also offers as a bitmap: a bitmap's handle is no memory to copy.
r = clip.SetRAWData(8, Array(40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 4, 0, 0, 0, _
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0))
CheckEqual "bitmap offered beside its DIB", clip.IsFormatAvailable(2), True
size = -1
r = clip.GetRAWData(2, data, size)
CheckEqual "GetRAWData of a bitmap", r & " " & size, "False -1"

' Shell files
Set c = tlv.SplitCollection(path1 & "|D:\b.txt", "|")
r = clip.SetShellFiles(c)
CheckEqual "SetShellFiles", r, True
r = clip.GetRAWData(15, data, size)
Check "wide drop block size", size >= 20 + 2 * (Len(path1) + 8 + 3)
Set g = clip.GetShellFiles()
CheckEqual "GetShellFiles count", g.Count, 2
CheckEqual "GetShellFiles wide Cyrillic path", g(1), path1
CheckEqual "GetShellFiles second path", g(2), "D:\b.txt"
Set c = tlv.SplitCollection("C:\a.txt|D:\b.txt", "|")
r = clip.SetShellFiles(c, False)
CheckEqual "SetShellFiles ANSI", r, True
Set g = clip.GetShellFiles()
CheckEqual "GetShellFiles ANSI", g.Count & " " & g(1) & " " & g(2), "2 C:\a.txt D:\b.txt"
Set c = Nothing
r = clip.SetShellFiles(c)
CheckEqual "SetShellFiles of Nothing", r, False
r = clip.SetShellFiles(tlv.SplitCollection("", "|"))
CheckEqual "SetShellFiles of no items", r, False
r = clip.SetRAWData(15, Array(20, 0, 0, 0, 0))
Set g = clip.GetShellFiles()
CheckEqual "GetShellFiles of a short block", g Is Nothing, True
r = clip.SetRAWData(15, Array(200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 65, 0))
Set g = clip.GetShellFiles()
CheckEqual "GetShellFiles with its list past the block", g.Count, 0

r = clip.Clear()
CheckEqual "cleared", clip.GetFormatsCount(), 0
CheckEqual "GetText of nothing", clip.GetText(), ""
Summary
