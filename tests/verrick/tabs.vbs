' The tab helper and the text-box helpers from a script client. Pages are
' script objects with ZOrder and Visible; a control array answers LBound,
' UBound and its default member.
'#include control_array.vbs
Plan 17
Dim tabs, log, r

Class Page
    Public Name
    Public Visible
    Public Sub ZOrder()
        log = log & Name & ";"
    End Sub
End Class

Function MakePage(name)
    Set MakePage = New Page
    MakePage.Name = name
End Function

' TabShown is checked from C++: Wine's script host binds no events
' (WScript.CreateObject with a prefix raises 445).
Set tabs = CreateObject("Velmora.tlvTabControl")

Dim p0, p1, p2, frames
Set p0 = MakePage("p0")
Set p1 = MakePage("p1")
Set p2 = MakePage("p2")
Set frames = New ControlArray
frames.Init Array(p0, p1, p2)
log = ""
tabs.FillTabs frames, True
CheckEqual "FillTabs takes every element", tabs.TabsCount, 3
CheckEqual "FillTabs shows the last", tabs.CurrentTab, 3
CheckEqual "Stacked in order, the shown one last", log, "p0;p1;p2;p2;"
CheckEqual "Others hidden", p0.Visible Or p1.Visible, False
CheckEqual "Shown one visible", p2.Visible, True
CheckEqual "TabItem", tabs.TabItem(2).Name, "p1"

' Optional arguments omitted or given by position.
tabs.PopNextTab
CheckEqual "Wraps to the first", tabs.CurrentTab, 1
CheckEqual "Others stay visible by default", p1.Visible, True
log = ""
tabs.PopTab 2, True
CheckEqual "Only this tab comes up", log, "p1;"
ExpectError
tabs.AddTab Nothing
CheckError "AddTab of Nothing", 380

' A gap in the control array: the elements before it stay.
frames.Init Array(p0, Empty, p2)
ExpectError
tabs.FillTabs frames
CheckError "FillTabs stops at the missing element", 340
CheckEqual "Pages before the gap stay", tabs.TabsCount, 1

' Script objects carry no type information: never taken for a text box or a button.
Class TextBox
    Public hWnd
    Public Locked
End Class
Dim tlv, box, watcher
Set tlv = CreateObject("Velmora.tlvMain")
Set box = New TextBox
ExpectError
r = tlv.AddTextBoxInsertHook(box)
CheckError "AddTextBoxInsertHook of a non-text box", 5
ExpectError
r = tlv.RemoveTextBoxInsertHook(Nothing)
CheckError "RemoveTextBoxInsertHook of Nothing", 5
tlv.ClearTextBoxInsertHooks
CheckNoError "ClearTextBoxInsertHooks with no hooks"
Set watcher = CreateObject("Velmora.tlvTextBoxDefButtonWatcher")
ExpectError
watcher.Init Nothing, Nothing, box
CheckError "Watcher refuses a non-text box", 13
watcher.Init Nothing, Nothing, Nothing
CheckNoError "Watcher takes Nothing"

Summary
