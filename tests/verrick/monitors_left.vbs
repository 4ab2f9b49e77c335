' tlvMultiMonitor and Monitor with a second monitor left of the primary
' (left_monitor.sh): the primary, 1024x768, at the origin; the second, 800x600,
' at -900,100 to -100,700, so that a gap 100 pixels wide lies between them and
' nothing lies above the second's top. Flags: 0 null, 1 primary, 2 nearest.
'#include monitor_checks.vbs
Plan 45
Dim mm, all, m, first, second

' The monitor of a point for each flag, null, nearest and primary.
Function OfPoint(x, y)
    OfPoint = NameOf(mm.MonitorFromPoint(x, y, 0)) & " " & NameOf(mm.MonitorFromPoint(x, y, 2)) & " " & _
        NameOf(mm.MonitorFromPoint(x, y, 1))
End Function

Function OfRect(l, t, r, b)
    OfRect = NameOf(mm.MonitorFromRect(l, t, r, b, 0)) & " " & NameOf(mm.MonitorFromRect(l, t, r, b, 2)) & " " & _
        NameOf(mm.MonitorFromRect(l, t, r, b, 1))
End Function

Set mm = CreateObject("Velmora.tlvMultiMonitor")
Set all = mm.GetAllMonitors()
CheckTwoMonitors all, "-900,100,-100,700"
Set first = all(1)
Set second = all(2)

' Negative edges reach a late-bound client as Longs with their sign, not as
' large unsigned numbers.
CheckEqual "left is a Long", TypeName(second.MonitorLeft), "Long"
CheckEqual "left is negative", second.MonitorLeft, -900
Check "left compares as negative", second.MonitorLeft < 0
CheckEqual "right is a Long", TypeName(second.MonitorRight), "Long"
CheckEqual "right is negative", second.MonitorRight, -100
CheckEqual "work-area left is a Long", TypeName(second.WorkAreaLeft), "Long"
CheckEqual "work-area left is negative", second.WorkAreaLeft, -900
CheckEqual "width across negative edges", TypeName(second.MonitorWidth) & " " & second.MonitorWidth, "Long 800"

' Points on the second monitor: its top left corner is on it, its right edge is not.
CheckEqual "point in the second", OfPoint(-500, 400), "\\.\DISPLAY2 \\.\DISPLAY2 \\.\DISPLAY2"
CheckEqual "top left corner of the second", OfPoint(-900, 100), "\\.\DISPLAY2 \\.\DISPLAY2 \\.\DISPLAY2"
CheckEqual "last column of the second", OfPoint(-101, 699), "\\.\DISPLAY2 \\.\DISPLAY2 \\.\DISPLAY2"
CheckEqual "right edge of the second", NameOf(mm.MonitorFromPoint(-100, 400, 0)), "nothing"
CheckEqual "point on the primary", OfPoint(1, 1), "\\.\DISPLAY1 \\.\DISPLAY1 \\.\DISPLAY1"

' Points between the two and outside both: nothing, the nearest or the primary.
CheckEqual "between, nearer the primary", OfPoint(-30, 300), "nothing \\.\DISPLAY1 \\.\DISPLAY1"
CheckEqual "between, nearer the second", OfPoint(-80, 300), "nothing \\.\DISPLAY2 \\.\DISPLAY1"
CheckEqual "above the second", OfPoint(-500, 50), "nothing \\.\DISPLAY2 \\.\DISPLAY1"
CheckEqual "below the second", OfPoint(-500, 740), "nothing \\.\DISPLAY2 \\.\DISPLAY1"
CheckEqual "far left", OfPoint(-5000, 400), "nothing \\.\DISPLAY2 \\.\DISPLAY1"
CheckEqual "far right", OfPoint(5000, 400), "nothing \\.\DISPLAY1 \\.\DISPLAY1"

' Rectangles: the monitor with the larger share, or as the flags say where none has one.
CheckEqual "rectangle on the second", OfRect(-800, 200, -300, 500), "\\.\DISPLAY2 \\.\DISPLAY2 \\.\DISPLAY2"
CheckEqual "across both, more on the second", OfRect(-400, 200, 100, 400), "\\.\DISPLAY2 \\.\DISPLAY2 \\.\DISPLAY2"
CheckEqual "across both, more on the primary", OfRect(-200, 200, 300, 400), "\\.\DISPLAY1 \\.\DISPLAY1 \\.\DISPLAY1"
CheckEqual "rectangle in the gap", OfRect(-95, 300, -20, 310), "nothing \\.\DISPLAY2 \\.\DISPLAY1"
CheckEqual "rectangle above both", OfRect(-300, -200, 200, -50), "nothing \\.\DISPLAY1 \\.\DISPLAY1"
CheckEqual "new rectangle on the second", NameOf(mm.MonitorFromNewRect(-700, 200, 300, 200, 0)), "\\.\DISPLAY2"
CheckEqual "empty new rectangle on the second", NameOf(mm.MonitorFromNewRect(-700, 200, 0, 0, 0)), "\\.\DISPLAY2"
CheckEqual "new rectangle in the gap", NameOf(mm.MonitorFromNewRect(-95, 300, 75, 10, 2)), "\\.\DISPLAY2"

' The monitor a lookup returns carries the same figures as the listed one.
Set m = mm.MonitorFromPoint(-500, 400, 0)
CheckEqual "found second's bounds", Bounds(m), Bounds(second)
CheckEqual "found second's work area", WorkArea(m), WorkArea(second)
CheckEqual "found second is not primary", m.Primary, False
Set m = mm.MonitorFromPoint(-500, 50, 1)
CheckEqual "primary by flag", Bounds(m), Bounds(first)

' Windows by handle: no window gives nothing or the primary (real windows:
' left_monitor.sh moves one onto the second monitor).
CheckEqual "no window, null", NameOf(mm.MonitorFromWindow(0, 0)), "nothing"
CheckEqual "no window, primary", NameOf(mm.MonitorFromWindow(0, 1)), "\\.\DISPLAY1"

' A rectangle whose far edge passes the 32-bit range on the negative side.
ExpectError
Set m = mm.MonitorFromNewRect(-2147483647, 0, -2, 1, 0)
CheckError "left plus width below the 32-bit range", 6
ExpectError
Set m = mm.MonitorFromNewRect(0, -2147483647, 1, -2, 0)
CheckError "top plus height below the 32-bit range", 6

Summary
