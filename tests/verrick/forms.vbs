' Form and control helpers, driven with script objects standing in for
' controls (they answer the same property and method names). Wine's VBScript
' takes one name per Public line in a Class.
'#include control_array.vbs
Plan 29
Dim tlv, log, r
Set tlv = CreateObject("Velmora.tlvMain")
log = ""

Class OptionButton
    Public Name
    Public Value
    Public EnabledValue
    Public Property Get Enabled()
        Enabled = EnabledValue
    End Property
    Public Property Let Enabled(v)
        EnabledValue = v
        log = log & Name & "=" & v & ";"
    End Property
End Class

Function MakeOption(name, value)
    Dim button
    Set button = New OptionButton
    button.Name = name
    button.Value = value
    button.EnabledValue = True
    Set MakeOption = button
End Function

Dim o0, o2, o3, group
Set o0 = MakeOption("o0", False)
Set o2 = MakeOption("o2", False)
Set o3 = MakeOption("o3", True)
Set group = New ControlArray
group.Init Array(o0, Empty, o2, o3)

r = tlv.GetSelectedOptionButtonIndex(group)
CheckEqual "Selected index skips the missing element", r, 3
o3.Value = False
r = tlv.GetSelectedOptionButtonIndex(group)
CheckEqual "No selection gives -1", r, -1
r = tlv.GetSelectedOptionButtonIndex(Nothing)
CheckEqual "Nothing gives -1", r, -1

tlv.SetSelectedOptionButtonIndex group, 2
CheckEqual "SetSelected selects the element", o2.Value, True
o2.Value = False
tlv.SetSelectedOptionButtonIndex group, 1
CheckEqual "SetSelected of a missing element selects the lowest", o0.Value, True
tlv.SetSelectedOptionButtonIndex Nothing, 1
CheckNoError "SetSelected ignores Nothing"

' o0 selected: enabling starts with it, disabling ends with it.
o2.Value = False
o3.Value = False
log = ""
tlv.EnableOptionButtonGroup group
CheckEqual "Enable order", log, "o0=True;o2=True;o3=True;"
log = ""
tlv.DisableOptionButtonGroup group
CheckEqual "Disable order", log, "o2=False;o3=False;o0=False;"

' ShowModalForm moves the parent off screen while the child is shown.
Class Form
    Public Left
    Public Width
    Public Controls
    Public Font
    Public ShownWith
    Public LeftDuringShow
    Public Parent
    Public Sub Show(style)
        ShownWith = style
        LeftDuringShow = Parent.Left
    End Sub
End Class

Dim parent, child
Set parent = New Form
parent.Left = 1234.5
parent.Width = 3000
Set child = New Form
Set child.Parent = parent
tlv.ShowModalForm parent, child
CheckEqual "Child shown modally", child.ShownWith, 1
CheckEqual "Parent off screen during the show", child.LeftDuringShow, -4000
CheckEqual "Parent Left restored exactly", parent.Left, 1234.5
tlv.ShowModalForm Nothing, Nothing
CheckNoError "ShowModalForm ignores Nothing"

' The parent's variable emptied while the child is shown: the parent lives
' until the call is over, and gets its place back first.
Class LoggingForm
    Private place
    Public Property Get Left()
        Left = place
    End Property
    Public Property Let Left(v)
        place = v
        log = log & "Left=" & v & ";"
    End Property
    Public Property Get Width()
        Width = 100
    End Property
    Private Sub Class_Terminate()
        log = log & "gone;"
    End Sub
End Class
Class DroppingChild
    Public Sub Show(style)
        Set droppedParent = Nothing
        log = log & "dropped;"
    End Sub
End Class
Dim droppedParent
Set droppedParent = New LoggingForm
droppedParent.Left = 10
log = ""
tlv.ShowModalForm droppedParent, New DroppingChild
CheckEqual "A parent emptied during the show lives to the end of the call", log, "Left=-1100;dropped;Left=10;gone;"

' ShowMSAboutBox disables the parent around the control's own About box.
Class AboutParent
    Public Property Let Enabled(v)
        log = log & "Enabled=" & v & ";"
    End Property
    Public Sub SetFocus()
        log = log & "SetFocus;"
    End Sub
End Class
Class AboutControl
    Public Parent
    Public Sub AboutBox()
        log = log & "AboutBox;"
    End Sub
End Class
Dim about
Set about = New AboutControl
Set about.Parent = New AboutParent
log = ""
tlv.ShowMSAboutBox about
CheckEqual "ShowMSAboutBox order", log, "Enabled=False;AboutBox;Enabled=True;SetFocus;"

' FixFonts: every control's font, never the form's own.
Class FontStub
    Public Name
    Public Size
    Public Italic
    Public Bold
    Public Underline
    Public Strikethrough
    Public Charset
End Class
Class Control
    Public Font
End Class
Class Label
    Public Caption
End Class

Dim frm, c1, c2
Set frm = New Form
Set frm.Font = New FontStub
frm.Font.Name = "Tahoma"
Set c1 = New Control
Set c1.Font = New FontStub
c1.Font.Bold = True
c1.Font.Underline = True
Set c2 = New Label
frm.Controls = Array(c2, c1)
tlv.FixFonts frm
CheckEqual "FixFonts Name", c1.Font.Name, "Times New Roman"
CheckEqual "FixFonts Size", c1.Font.Size, 10.5
CheckEqual "FixFonts Italic", c1.Font.Italic, True
CheckEqual "FixFonts Bold", c1.Font.Bold, False
CheckEqual "FixFonts Underline", c1.Font.Underline, False
CheckEqual "FixFonts Strikethrough", c1.Font.Strikethrough, False
CheckEqual "FixFonts Charset", c1.Font.Charset, 204
CheckEqual "FixFonts leaves the form's font", frm.Font.Name, "Tahoma"

' Controls as an enumerable collection work the same way.
Set c1.Font = New FontStub
Set frm.Controls = tlv.Collection(c2, c1)
tlv.FixFonts frm
CheckEqual "FixFonts through For Each", c1.Font.Name, "Times New Roman"
tlv.FixFonts Nothing
CheckNoError "FixFonts ignores Nothing"

' Script objects carry no type information, so they are never taken for
' a command button or a combo box.
Class CommandButton
    Public Enabled
    Public Value
End Class
Dim button
Set button = New CommandButton
button.Enabled = True
r = tlv.PressButton(button)
CheckEqual "PressButton needs a real command button", r, False
CheckEqual "PressButton left the stand-in alone", IsEmpty(button.Value), True
r = tlv.PressButton(Nothing)
CheckEqual "PressButton of Nothing", r, False

Class ComboBox
    Public Style
    Public MouseIcon
    Public MousePointer
End Class
Dim combo
Set combo = New ComboBox
combo.Style = 2
frm.Controls = Array(combo)
tlv.FixCBCursors frm
CheckEqual "FixCBCursors skips what it cannot identify", IsEmpty(combo.MousePointer), True
tlv.FixCBCursors Nothing
CheckNoError "FixCBCursors ignores Nothing"

Summary
