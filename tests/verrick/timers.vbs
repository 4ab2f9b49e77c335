' tlvBenchMark and tlvBenchMarkHP as a late-bound client uses them.
Plan 16
Dim b, h, ms, r, t

' Wine's script host has no WScript.Sleep: wait on the clock instead.
Sub Wait(milliseconds)
    Dim start
    start = Timer
    Do While (Timer - start) * 1000 < milliseconds And Timer >= start
    Loop
End Sub

Set b = CreateObject("Velmora.tlvBenchMark")
b.FirstMark False
Wait 300
b.LastMark
ms = b.GetTickDifferenceMS()
Check "tick difference after 300 ms", ms >= 250 And ms < 5000
CheckEqual "seconds are milliseconds / 1000", b.GetTickDifferenceSec(), ms / 1000
' Reading does not reset the marks.
CheckEqual "read again", b.GetTickDifferenceMS(), ms

t = b.toString()
CheckEqual "toString in seconds", Right(t, 5), " sec."
t = b.toString(0, True, False)
CheckEqual "toString whole milliseconds", t, CStr(ms) & " ms."
CheckEqual "Iterations -5 is ignored", b.toString(-5, True, False), t
t = b.toString(3, True, False)
CheckEqual "toString with iterations", t, CStr(Round(ms / 3)) & " ms. / 3 (" & CStr(ms) & " ms.)"
r = InStr(b.toString(2), " sec. / 2 (")
Check "toString with iterations in seconds", r > 0

Set h = CreateObject("Velmora.tlvBenchMarkHP")
Check "performance counter frequency", h.GetTickFrequencyPerSec() > 0
CheckEqual "frequency per ms", h.GetTickFrequencyPerMS(), h.GetTickFrequencyPerSec() / 1000
h.FirstMark False
Wait 300
h.LastMark
ms = h.GetTickDifferenceMS()
Check "counter difference after 300 ms", ms >= 250 And ms < 5000
Check "counter units", Abs(h.GetTickDifference() / h.GetTickFrequencyPerSec() - h.GetTickDifferenceSec()) < 0.000001
Check "seconds against milliseconds", Abs(h.GetTickDifferenceSec() * 1000 - ms) < 0.001
CheckEqual "HP toString whole milliseconds", h.toString(, True, False), CStr(Round(ms)) & " ms."
t = h.toString(4)
Check "HP toString with iterations", InStr(t, " sec. / 4 (") > 0 And Right(t, 6) = " sec.)"

' The default DoBeep (True) is accepted by both.
b.FirstMark
h.FirstMark
CheckNoError "FirstMark with its default"

Summary
