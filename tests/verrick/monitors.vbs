' tlvMultiMonitor and Monitor as a late-bound client sees them (Wine under a
' plain display: one monitor, \\.\DISPLAY1). Flags: 0 null, 1 primary, 2 nearest.
Plan 24
Dim mm, all, m, n, r, total

Set mm = CreateObject("Velmora.tlvMultiMonitor")
Set all = mm.GetAllMonitors()
Check "at least one monitor", all.Count >= 1
total = 0
For Each m In all
    total = total + 1
Next
CheckEqual "For Each over the monitors", total, all.Count

Set m = all(1)
CheckEqual "primary", m.Primary, True
CheckEqual "flags", m.Flags, 1
CheckEqual "device name", m.DeviceName, "\\.\DISPLAY1"
Check "size", m.MonitorWidth > 0 And m.MonitorHeight > 0
CheckEqual "right", m.MonitorRight, m.MonitorLeft + m.MonitorWidth
CheckEqual "bottom", m.MonitorBottom, m.MonitorTop + m.MonitorHeight
CheckEqual "work right", m.WorkAreaRight, m.WorkAreaLeft + m.WorkAreaWidth
CheckEqual "work bottom", m.WorkAreaBottom, m.WorkAreaTop + m.WorkAreaHeight
Check "work area inside the monitor", m.WorkAreaLeft >= m.MonitorLeft And m.WorkAreaTop >= m.MonitorTop _
    And m.WorkAreaRight <= m.MonitorRight And m.WorkAreaBottom <= m.MonitorBottom

' Lookups.
Set n = mm.MonitorFromPoint(0, 0, 0)
CheckEqual "monitor of the origin", n.DeviceName, m.DeviceName
Check "two objects for one monitor are distinct", Not (n Is m)
CheckEqual "with equal properties", n.MonitorWidth & "x" & n.WorkAreaHeight, m.MonitorWidth & "x" & m.WorkAreaHeight
Set n = mm.MonitorFromPoint(-100000, -100000, 0)
Check "a point off every screen, default to null", n Is Nothing
Set n = mm.MonitorFromPoint(-100000, -100000, 2)
CheckEqual "a point off every screen, nearest", n.DeviceName, m.DeviceName
Set n = mm.MonitorFromPoint(-100000, -100000, 1)
CheckEqual "a point off every screen, primary", n.Primary, True
Set n = mm.MonitorFromRect(10, 10, 20, 20, 0)
CheckEqual "monitor of a rectangle", n.DeviceName, m.DeviceName
Set n = mm.MonitorFromRect(-300000, -300000, -200000, -200000, 0)
Check "a rectangle off every screen", n Is Nothing
Set n = mm.MonitorFromNewRect(5, 5, 0, 0, 0)
CheckEqual "an empty rectangle at a corner", n.DeviceName, m.DeviceName
Set n = mm.MonitorFromWindow(0, 1)
CheckEqual "no window, default to primary", n.Primary, True
Set n = mm.MonitorFromWindow(0, 0)
Check "no window, default to null", n Is Nothing

ExpectError
Set n = mm.MonitorFromNewRect(2147483647, 0, 1, 1, 0)
CheckError "width past the 32-bit range", 6

Set n = Nothing
ExpectError
Set n = CreateObject("Velmora.Monitor")
CheckError "Monitor is not creatable", 429

Summary
