' Shared by the scripts of the two-monitor displays: a monitor's figures as
' text, and the checks on the list of both monitors (10 checks), whose second
' monitor lies where the display puts it.

Function Bounds(m)
    Bounds = m.MonitorLeft & "," & m.MonitorTop & "," & m.MonitorRight & "," & m.MonitorBottom & " " & _
        m.MonitorWidth & "x" & m.MonitorHeight
End Function

Function WorkArea(m)
    WorkArea = m.WorkAreaLeft & "," & m.WorkAreaTop & "," & m.WorkAreaRight & "," & m.WorkAreaBottom & " " & _
        m.WorkAreaWidth & "x" & m.WorkAreaHeight
End Function

Function NameOf(m)
    If m Is Nothing Then
        NameOf = "nothing"
    Else
        NameOf = m.DeviceName
    End If
End Function

' The primary, 1024x768 at the origin, listed first; the second, 800x600, at
' secondBounds ("left,top,right,bottom") with a work area as large.
Sub CheckTwoMonitors(all, secondBounds)
    Dim m, names, first, second
    CheckEqual "two monitors", all.Count, 2
    names = ""
    For Each m In all
        names = names & m.DeviceName & ";"
    Next
    CheckEqual "the primary first, in the platform's order", names, "\\.\DISPLAY1;\\.\DISPLAY2;"
    Set first = all(1)
    Set second = all(2)
    CheckEqual "first is primary", first.Primary, True
    CheckEqual "first flags", first.Flags, 1
    CheckEqual "first bounds", Bounds(first), "0,0,1024,768 1024x768"
    CheckEqual "first work area", WorkArea(first), "0,0,1024,768 1024x768"
    CheckEqual "second is not primary", second.Primary, False
    CheckEqual "second flags", second.Flags, 0
    CheckEqual "second bounds", Bounds(second), secondBounds & " 800x600"
    CheckEqual "second work area", WorkArea(second), secondBounds & " 800x600"
End Sub
