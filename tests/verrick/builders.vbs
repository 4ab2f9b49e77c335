' tlvMain builders (ParamArray members), the returned collection, and the
' run-time errors a late-bound caller sees.
Plan 36
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

' ArrayString / ArrayLong keep the argument list's bounds. A script cannot
' index a typed array: it hands the array back to the searches, which give
' LBound - 1 when nothing matches and raise 9 for an EndAt past UBound.
a = tlv.ArrayString(1, "two", True, 2.5)
r = tlv.InArrayString(a, "nothing")
CheckEqual "ArrayString LBound", r, -1
r = tlv.InArrayString(a, "1", , 3)
CheckEqual "ArrayString number, UBound 3", r, 0
ExpectError
r = tlv.InArrayString(a, "nothing", , 4)
CheckError "ArrayString has no element 4", 9
r = tlv.InArrayString(a, "True")
CheckEqual "ArrayString Boolean", r, 2
r = tlv.InArrayString(a, CStr(2.5))
CheckEqual "ArrayString Double", r, 3

a = tlv.ArrayLong(7, "8", 2.5, "x", 3.5)
r = tlv.InArrayLong(a, 7, , 4)
CheckEqual "ArrayLong LBound 0, UBound 4", r, 0
ExpectError
r = tlv.InArrayLong(a, 99, , 5)
CheckError "ArrayLong has no element 5", 9
r = tlv.InArrayLong(a, 8)
CheckEqual "ArrayLong text converts", r, 1
r = tlv.InArrayLong(a, 2)
CheckEqual "ArrayLong rounds half to even", r, 2
r = tlv.InArrayLong(a, 0)
CheckEqual "ArrayLong leaves 0 for what does not convert", r, 3
r = tlv.InArrayLong(a, 4)
CheckEqual "ArrayLong 3.5 rounds to 4", r, 4

' No arguments: an unallocated array, which has no LBound.
a = tlv.ArrayString()
ExpectError
r = tlv.InArrayString(a, "x")
CheckError "ArrayString() is unallocated", 9

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
ExpectError
c.Add "again", "KEYC"
CheckError "Duplicate key", 457
ExpectError
c.Add "x", , 1, 2
CheckError "Before and After together", 5
ExpectError
r = c(0)
CheckError "Item(0)", 9
ExpectError
r = c(6)
CheckError "Item past the end", 9
ExpectError
r = c("nokey")
CheckError "Unknown key", 5
c.Remove "KeyC"
CheckEqual "Remove by key", c.Count, 4
c.Remove 1
CheckEqual "Remove by position", c(1), "a"
ExpectError
c.Remove 10
CheckError "Remove past the end", 9

Set r = tlv.CommandLine()
Check "CommandLine hands out its parser", r Is tlv.CommandLine()

' Errors raised by IDispatch itself.
ExpectError
tlv.NoSuchMember
CheckError "Unknown member", 438
ExpectError
r = tlv.InArrayLong(tlv.ArrayLong(1))
CheckError "Missing required argument", 449
ExpectError
r = tlv.InArrayLong(tlv.ArrayLong(1), 1, 1, 1, r, 1)
CheckError "Too many arguments", 450

Summary
