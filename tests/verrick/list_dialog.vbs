' tlvSimpleListDialog as a script reaches it: every member, and Show on the
' real dialog, closed by a key that a helper program presses on it.
'#include dialog_closer.vbs

Plan 15

Dim d, c, f

Class NoText
    Public Other
End Class

Set d = CreateObject("Velmora.tlvSimpleListDialog")
Check "created", IsObject(d)
CheckEqual "ShowCountInCaption starts True", d.ShowCountInCaption, True
CheckEqual "Caption starts empty", d.Caption, ""
CheckEqual "Elements start empty", d.Elements.Count, 0
Set f = d.Font
CheckEqual "Font size", CLng(f.Size), 9
CheckEqual "Font charset", f.Charset, 204
CheckEqual "Font weight", f.Weight, 100

Set c = CreateObject("Velmora.tlvMain").Collection("alpha" & Chr(9) & "C:\alpha", "beta", 3)
Set d.Elements = c
Check "Elements is the caller's collection", d.Elements Is c
d.Caption = "Script list"
CheckEqual "Caption", d.Caption, "Script list"
Set d.Font = f
Check "Font is the caller's font", d.Font Is f

CloseWith "Script list [3]", 13
d.Show
CheckClosed "Show with three items, closed by Enter"

' A non-text item is left out; the dialog still opens.
c.Add New NoText
d.ShowCountInCaption = False
CheckEqual "ShowCountInCaption off", d.ShowCountInCaption, False
d.Caption = "Script list without count"
CloseWith "Script list without count", 27
d.Show
CheckClosed "Show with an item that is no text, closed by Esc"

Set d.Elements = Nothing
CheckEqual "Elements of Nothing is a new empty collection", d.Elements.Count, 0
d.ShowCountInCaption = True
d.Caption = "Empty list"
CloseWith "Empty list [0]", 27
d.Show
CheckClosed "Show of an empty list"

Summary
