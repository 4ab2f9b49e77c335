' Times tlvClipboard's HTML and drop-file blocks beside plain text of the same
' size: SetHTML/GetHTML against SetText/GetText at 1, 3 and 10 MB, and
' GetShellFiles against GetText of the same paths at 1,000 and 10,000 paths.
Dim clip, tlv, sizes, counts, k, size, text, started, setHtml, getHtml, setText, getText, r
Dim count, joined, paths, files, i, getFiles
Set clip = CreateObject("Velmora.tlvClipboard")
Set tlv = CreateObject("Velmora.tlvMain")

sizes = Array(1000000, 3000000, 10000000)
For k = 0 To 2
    size = sizes(k)
    text = String(size, "a")
    clip.Clear
    started = Timer
    r = clip.SetHTML(text)
    setHtml = Elapsed(started)
    started = Timer
    r = clip.GetHTML()
    getHtml = Elapsed(started)
    If Len(r) <> size Then WScript.Echo "GetHTML returned " & Len(r) & " characters, expected " & size
    clip.Clear
    started = Timer
    r = clip.SetText(text)
    setText = Elapsed(started)
    started = Timer
    r = clip.GetText()
    getText = Elapsed(started)
    WScript.Echo size & " bytes: SetHTML " & Ms(setHtml) & " ms, GetHTML " & Ms(getHtml) & " ms; SetText " & _
        Ms(setText) & " ms, GetText " & Ms(getText) & " ms; HTML/text " & Ratio(setHtml + getHtml, setText + getText)
Next

counts = Array(1000, 10000)
For k = 0 To 1
    count = counts(k)
    joined = ""
    For i = 1 To count
        joined = joined & "C:\Folder\Subfolder\file" & i & ".txt|"
    Next
    joined = Left(joined, Len(joined) - 1)
    Set paths = tlv.SplitCollection(joined, "|")
    clip.Clear
    r = clip.SetShellFiles(paths)
    started = Timer
    Set files = clip.GetShellFiles()
    getFiles = Elapsed(started)
    If files.Count <> count Then WScript.Echo "GetShellFiles returned " & files.Count & " paths"
    clip.Clear
    r = clip.SetText(joined)
    started = Timer
    r = clip.GetText()
    getText = Elapsed(started)
    WScript.Echo count & " paths: GetShellFiles " & Ms(getFiles) & " ms; GetText of as many bytes " & _
        Ms(getText) & " ms; ratio " & Ratio(getFiles, getText)
Next
clip.Clear
