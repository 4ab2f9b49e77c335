' Velmora.tlvMain holds the general helpers; one object serves them all.
Dim tlv, paths, p
Set tlv = CreateObject("Velmora.tlvMain")

Set paths = tlv.SplitCollection("C:\Temp;D:\Data;E:\Backup", ";")
WScript.Echo paths.Count & " paths"
For Each p In paths
    WScript.Echo p
Next
WScript.Echo "D:\DATA is item " & tlv.InCollectionStringText(paths, "D:\DATA")
WScript.Echo tlv.JoinCollection(paths, " | ")

' Failures arrive as ordinary run-time errors.
On Error Resume Next
p = tlv.InArrayLong(tlv.ArrayLong(5, 6, 7), 8, 0, 5)
WScript.Echo "Err.Number " & Err.Number & ": " & Err.Description
