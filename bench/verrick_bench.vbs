' Times Verrick's late-bound helpers from VBScript beside what a script has
' without them: IsInArrayLong against Scripting.Dictionary's Exists, and
' JoinCollection and SplitCollection against Join and Split, at three sizes.
Dim tlv, dict, numbers, i, found, started, lateTime, dictTime, calls
Set tlv = CreateObject("Velmora.tlvMain")
Set dict = CreateObject("Scripting.Dictionary")

' A short array: five numbers, the one looked for is the fourth.
numbers = tlv.ArrayLong(10, 20, 30, 40, 50)
' The same five as keys (Wine's VBScript cannot index a Long array itself).
For i = 1 To 5
    dict.Add i * 10, True
Next
calls = 20000
started = Timer
For i = 1 To calls
    found = tlv.IsInArrayLong(numbers, 40)
Next
lateTime = Elapsed(started)
started = Timer
For i = 1 To calls
    found = dict.Exists(40)
Next
dictTime = Elapsed(started)
WScript.Echo "IsInArrayLong (5 items) x " & calls & ": " & Ms(lateTime) & " ms; Dictionary.Exists: " & _
    Ms(dictTime) & " ms; ratio " & Ratio(lateTime, dictTime)

Dim sizes, size, parts, text, coll, reps, r, joined, pieces, k, line
Dim joinColl, joinVB, splitColl, splitVB, previous(1), haveJoin
' Wine 8's VBScript has no Join (error 445): then only JoinCollection is timed.
On Error Resume Next
joined = Join(Split("a,b", ","), ",")
haveJoin = (Err.Number = 0)
On Error GoTo 0
sizes = Array(1000, 10000, 100000)
For k = 0 To 2
    size = sizes(k)
    text = Replace(String(size - 1, ","), ",", "item,") & "item"
    parts = Split(text, ",")
    Set coll = tlv.SplitCollection(text, ",")
    If coll.Count <> size Then WScript.Echo "SplitCollection gave " & coll.Count & " items, not " & size
    reps = 1000000 \ size

    started = Timer
    For r = 1 To reps
        joined = tlv.JoinCollection(coll, ",")
    Next
    joinColl = Elapsed(started) / reps
    If joined <> text Then WScript.Echo "JoinCollection differs from the text split"
    started = Timer
    For r = 1 To reps
        Set pieces = tlv.SplitCollection(text, ",")
    Next
    splitColl = Elapsed(started) / reps
    started = Timer
    For r = 1 To reps
        pieces = Split(text, ",")
    Next
    splitVB = Elapsed(started) / reps

    line = size & " items: JoinCollection " & Ms(joinColl) & " ms"
    If haveJoin Then
        started = Timer
        For r = 1 To reps
            joined = Join(parts, ",")
        Next
        joinVB = Elapsed(started) / reps
        line = line & ", Join " & Ms(joinVB) & " ms (ratio " & Ratio(joinColl, joinVB) & ")"
    Else
        line = line & ", Join not available"
    End If
    line = line & "; SplitCollection " & Ms(splitColl) & " ms, Split " & Ms(splitVB) & " ms (ratio " & _
        Ratio(splitColl, splitVB) & ")"
    If k > 0 Then
        line = line & "; growth for 10x items: JoinCollection " & FormatNumber(joinColl / previous(0), 1) & _
            "x, SplitCollection " & FormatNumber(splitColl / previous(1), 1) & "x"
    End If
    WScript.Echo line
    previous(0) = joinColl
    previous(1) = splitColl
Next
