' The runtime's value rules as a script meets them: every kind of value
' assigned where a member of the library and a member of the toolkit needs a
' String, a Long, an Integer, a Double, a Boolean or an object. A row lists
' what the member then holds, or "eN" for the error the assignment raised, one
' cell per value, and the expected rows are the runtime's rules: Empty is ""
' or 0 or False, Null is 94, True is -1, numbers round half to even, dates and
' numbers are their locale text, an object is its default value (438 without
' one, 91 for Nothing), an array is 13, and a text is a number only when it
' reads as one.
Plan 14

Dim dialog, icon, monitors, form, box, line
Set dialog = CreateObject("Velmora.tlvSimpleListDialog")
Set icon = CreateObject("Velmora.ucIconControl")
Set monitors = CreateObject("Velmora.tlvMultiMonitor")
Set form = CreateObject("VorlanTest.ToolkitForm")
Set box = form.txtValue
Set line = form.linValue

Class NoDefault
    Public Name
End Class

Dim day, values
day = DateSerial(2024, 2, 29) + TimeSerial(12, 0, 0)
' box: an object whose default value is "42"
values = Array(Empty, Null, True, CByte(200), CInt(-3), 70000, 2.5, 3.5, day, "12", "abc", _
               box, New NoDefault, Nothing, Array(1, 2), 1E10)

' Assigns value to a member and reads it back: its text, the error's number as
' "eN", or for an object "same" when the member holds that very object.
Function Assigned(target, value)
    On Error Resume Next
    Dim held
    Err.Clear
    Select Case target
    Case "library String": dialog.Caption = value: held = dialog.Caption
    Case "toolkit String": line.Tag = value: held = line.Tag
    Case "library Long": icon.BackColor = value: held = icon.BackColor
    Case "toolkit Long": line.BorderColor = value: held = line.BorderColor
    Case "library Integer": icon.MousePointer = value: held = icon.MousePointer
    Case "toolkit Double": line.X1 = value: held = line.X1
    Case "library Boolean": dialog.ShowCountInCaption = value: held = dialog.ShowCountInCaption
    Case "toolkit Boolean": line.Visible = value: held = line.Visible
    Case "library object"
        If IsObject(value) Then Set dialog.Elements = value Else dialog.Elements = value
        held = Named(dialog.Elements, value)
    Case "toolkit object"
        If IsObject(value) Then Set box.MouseIcon = value Else box.MouseIcon = value
        held = Named(box.MouseIcon, value)
    End Select
    If Err.Number <> 0 Then held = "e" & Err.Number
    Err.Clear
    Assigned = CStr(held)
End Function

' The object a member holds: "Nothing", "same" when it is value, or its type
' name (TypeName of an object read as Nothing stops Wine's script host).
Function Named(current, value)
    If current Is Nothing Then
        Named = "Nothing"
    ElseIf IsObject(value) Then
        If current Is value Then Named = "same" Else Named = TypeName(current)
    Else
        Named = TypeName(current)
    End If
End Function

Function Row(target, items)
    Dim i, text
    text = Assigned(target, items(0))
    For i = 1 To UBound(items)
        text = text & "|" & Assigned(target, items(i))
    Next
    Row = text
End Function

' Empty | Null | True | 200 | -3 | 70000 | 2.5 | 3.5 | day | "12" | "abc" | box | NoDefault | Nothing | array | 1E10
Dim text, whole, real, flag, objects
text = "|e94|True|200|-3|70000|" & CStr(2.5) & "|" & CStr(3.5) & "|" & CStr(day) & "|12|abc|42|e438|e91|e13|" & CStr(1E10)
CheckEqual "String from each kind of value, library", Row("library String", values), text
CheckEqual "String from each kind of value, toolkit", Row("toolkit String", values), text

whole = "0|e94|-1|200|-3|70000|2|4|45352|12|e13|42|e438|e91|e13|e6"
CheckEqual "Long from each kind of value, toolkit", Row("toolkit Long", values), whole
' A colour is never negative: -1 and -3 convert, and the member refuses them (380).
CheckEqual "Long from each kind of value, library", Row("library Long", values), _
           Replace(Replace(whole, "|-1|", "|e380|"), "|-3|", "|e380|")

' X1 reads back as a Single.
real = "0|e94|-1|200|-3|70000|" & CStr(2.5) & "|" & CStr(3.5) & "|" & CStr(45351.5) & "|12|e13|42|e438|e91|e13|" & CStr(CSng(1E10))
CheckEqual "Double from each kind of value, toolkit", Row("toolkit Double", values), real

flag = "False|e94|True|True|True|True|True|True|True|True|e13|True|e438|e91|e13|True"
CheckEqual "Boolean from each kind of value, library", Row("library Boolean", values), flag
CheckEqual "Boolean from each kind of value, toolkit", Row("toolkit Boolean", values), flag

' An Integer narrows: past 32767 is an overflow, before the member's own check.
CheckEqual "Integer, library", Row("library Integer", Array(Empty, Null, 1.5, "2", 32768, "abc", box)), _
           "0|e94|2|2|e6|e13|e380"

' Where an object is needed, a value that is none does not convert (13), and
' Empty stands for Nothing (the dialog then makes a collection of its own).
objects = "Collection|e13|e13|e13|e13|e13|e13|e13|e13|e13|e13|same|same|Collection|e13|e13"
CheckEqual "Object from each kind of value, library", Row("library object", values), objects
CheckEqual "Object from each kind of value, toolkit", Row("toolkit object", values), _
           Replace(objects, "Collection", "Nothing")

' A text reads as a Boolean by its name.
CheckEqual "Boolean from text, library and toolkit", _
           Assigned("library Boolean", "False") & Assigned("toolkit Boolean", "True"), "FalseTrue"

' An argument left out: an optional one takes its default (Move keeps the
' box's top), a required one is error 449.
Dim top
box.Move 100, 200
top = box.Top
box.Move 300, , 500
CheckEqual "Omitted optional argument keeps its default, toolkit", box.Left & "," & box.Top & "," & box.Width, _
           "300," & top & ",500"
ExpectError
box.Move , 100
CheckError "Omitted required argument, toolkit", 449
ExpectError
Set top = monitors.MonitorFromPoint(, 0, 0)
CheckError "Omitted required argument, library", 449

Summary
