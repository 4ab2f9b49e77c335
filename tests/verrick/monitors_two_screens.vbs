' tlvMultiMonitor and Monitor with two monitors (two_screens.sh): Wine on a
' display of two screens joined by Xinerama, 1024x768 (primary) and 800x600,
' both at the origin. Flags: 0 null, 1 primary, 2 nearest.
'#include monitor_checks.vbs
Plan 25
Dim mm, all, m, second, n

Set mm = CreateObject("Velmora.tlvMultiMonitor")
Set all = mm.GetAllMonitors()
CheckTwoMonitors all, "0,0,800,600"
Set second = all(2)

' A point or rectangle on the larger screen only.
CheckEqual "point on the first only", NameOf(mm.MonitorFromPoint(900, 700, 0)), "\\.\DISPLAY1"
CheckEqual "rectangle reaching past the second", NameOf(mm.MonitorFromRect(700, 500, 1000, 700, 0)), "\\.\DISPLAY1"
CheckEqual "empty rectangle at a corner", NameOf(mm.MonitorFromNewRect(1000, 700, 0, 0, 0)), "\\.\DISPLAY1"
' Where both screens lie, the platform names one of them.
n = NameOf(mm.MonitorFromPoint(10, 10, 0))
Check "point on both", n = "\\.\DISPLAY1" Or n = "\\.\DISPLAY2"

' Off every screen: nothing, the nearest or the primary, as the flags say.
CheckEqual "off the screens, null", NameOf(mm.MonitorFromPoint(1100, 700, 0)), "nothing"
CheckEqual "off the screens, nearest", NameOf(mm.MonitorFromPoint(1100, 700, 2)), "\\.\DISPLAY1"
CheckEqual "off the screens, primary", NameOf(mm.MonitorFromPoint(1100, 700, 1)), "\\.\DISPLAY1"
CheckEqual "rectangle off the screens, null", NameOf(mm.MonitorFromRect(2000, 2000, 2100, 2100, 0)), "nothing"
CheckEqual "rectangle off the screens, nearest", NameOf(mm.MonitorFromNewRect(2000, 2000, 50, 50, 2)), "\\.\DISPLAY1"
CheckEqual "no window, primary", NameOf(mm.MonitorFromWindow(0, 1)), "\\.\DISPLAY1"
CheckEqual "no window, null", NameOf(mm.MonitorFromWindow(0, 0)), "nothing"

' Snapshots: a second list gives new objects with the same figures.
Set all = mm.GetAllMonitors()
Set m = all(2)
Check "a new object for the same monitor", Not (m Is second)
CheckEqual "with the same bounds", Bounds(m), Bounds(second)
CheckEqual "and the same name", m.DeviceName, second.DeviceName

ExpectError
Set n = mm.MonitorFromNewRect(0, 2147483647, 1, 1, 0)
CheckError "height past the 32-bit range", 6

Summary
