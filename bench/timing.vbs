' Put in front of every benchmark script by verrick_bench.sh.
Option Explicit

' Seconds since a reading of Timer (which starts again from 0 at midnight).
Function Elapsed(since)
    Dim seconds
    seconds = Timer - since
    If seconds < 0 Then seconds = seconds + 86400
    Elapsed = seconds
End Function

Function Ms(seconds)
    Ms = FormatNumber(seconds * 1000, 3)
End Function

' a / b, or "n/a" where b was too short for Timer to measure.
Function Ratio(a, b)
    If b > 0 Then Ratio = FormatNumber(a / b, 2) Else Ratio = "n/a"
End Function
