' tlvMain builders (ParamArray members), the returned collection, and the
' run-time errors a late-bound caller sees.
Dim tlv, c, a, v, r, keys, total
Set tlv = CreateObject("Velmora.tlvMain")
Check "CreateObject", IsObject(tlv)

' Collection(ten, "x", 3.5): three items keyed "1", "2", "3".
Set c = tlv.Collection(10, "x", 3.5)
CheckEqual "Collection.Count", c.Count, 3
CheckEqual "Collection key 1", c("1"), 10
CheckEqual "Collection key 2", c("2"), "x"
CheckEqual "Collection key 3", c("3"), 3.5
CheckEqual "Collection by position", c(2), "x"
CheckEqual "Collection.Item by name", c.Item(3), 3.5

keys = ""
For Each v In c
    keys = keys & TypeName(v) & ";"
Next
CheckEqual "For Each walks items in order", keys, "Integer;String;Double;"

Set c = tlv.Collection()
CheckEqual "Collection() is empty", c.Count, 0
total = 0
For Each v In c
    total = total + 1
Next
CheckEqual "For Each over an empty collection", total, 0

' ArrayString / ArrayLong keep the argument list's bounds.
a = tlv.ArrayString(1, "two", True, 2.5)
CheckEqual "ArrayString LBound", LBound(a), 0
CheckEqual "ArrayString UBound", UBound(a), 3
CheckEqual "ArrayString number", a(0), "1"
CheckEqual "ArrayString Boolean", a(2), "True"

a = tlv.ArrayLong(7, "8", 2.5, "x", 3.5)
CheckEqual "ArrayLong UBound", UBound(a), 4
CheckEqual "ArrayLong text converts", a(1), 8
CheckEqual "ArrayLong rounds half to even", a(2), 2
CheckEqual "ArrayLong leaves 0 for what does not convert", a(3), 0
CheckEqual "ArrayLong 3.5 rounds to 4", a(4), 4

' No arguments: an unallocated array (Wine's VBScript even refuses IsArray on one).
a = tlv.ArrayString()
r = UBound(a)
If Err.Number <> 0 Then Pass Else Fail "ArrayString() is unallocated", "UBound " & r
Err.Clear

' The collection itself.
Set c = tlv.Collection()
c.Add "a"
c.Add "c", "KeyC"
c.Add "b", "KeyB", "KeyC"
c.Add "z", , , 3
c.Add "first", , 1
keys = ""
For Each v In c
    keys = keys & v
Next
CheckEqual "Add with Before and After", keys, "firstabcz"
CheckEqual "Keys ignore case", c("keyb"), "b"
c.Add "again", "KEYC"
CheckError "Duplicate key", 457
c.Add "x", , 1, 2
CheckError "Before and After together", 5
r = c(0)
CheckError "Item(0)", 9
r = c(6)
CheckError "Item past the end", 9
r = c("nokey")
CheckError "Unknown key", 5
c.Remove "KeyC"
CheckEqual "Remove by key", c.Count, 4
c.Remove 1
CheckEqual "Remove by position", c(1), "a"
c.Remove 10
CheckError "Remove past the end", 9

' Members declared for later parts answer with a clear error.
tlv.ShowAboutBoxEx "Title"
CheckError "ShowAboutBoxEx not available", &H80004001
Set r = tlv.CommandLine()
CheckError "CommandLine not available", &H80004001

' Errors raised by IDispatch itself.
tlv.NoSuchMember
CheckError "Unknown member", 438
r = tlv.InArrayLong(tlv.ArrayLong(1))
CheckError "Missing required argument", 449
r = tlv.InArrayLong(tlv.ArrayLong(1), 1, 1, 1, r, 1)
CheckError "Too many arguments", 450

Summary
