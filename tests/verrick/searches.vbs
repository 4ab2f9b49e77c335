' Array and collection searches: edge cases, omitted optionals, ByRef IsFound,
' and the errors a VB6 client would see.
Plan 42
Dim tlv, a, c, r, found, s
Set tlv = CreateObject("Velmora.tlvMain")

a = tlv.ArrayLong(10, 20, 30, 20)
r = tlv.InArrayLong(a, 20)
CheckEqual "InArrayLong first match", r, 1
r = tlv.InArrayLong(a, 20, 2)
CheckEqual "InArrayLong from StartAt", r, 3
r = tlv.InArrayLong(a, 20, , 0)
CheckEqual "InArrayLong up to EndAt", r, -1
r = tlv.InArrayLong(a, 99, , , found)
CheckEqual "InArrayLong not found gives LBound - 1", r, -1
CheckEqual "IsFound False", found, False
r = tlv.InArrayLong(a, 30, , , found)
CheckEqual "IsFound written back", found, True
CheckEqual "IsFound is a Boolean", TypeName(found), "Boolean"
r = tlv.InArrayLong(a, 10, 3, 1)
CheckEqual "StartAt past EndAt compares nothing", r, -1
r = tlv.IsInArrayLong(a, 30)
CheckEqual "IsInArrayLong", r, True
r = tlv.IsInArrayLong(a, 31)
CheckEqual "IsInArrayLong missing", r, False

' A script's own Variant array is converted element by element.
r = tlv.InArrayLong(Array(1, "2", 3), 2)
CheckEqual "InArrayLong on a Variant array", r, 1

' Out-of-range bounds are not clamped.
ExpectError
r = tlv.InArrayLong(a, 99, -1)
CheckError "StartAt below LBound", 9
ExpectError
r = tlv.InArrayLong(a, 99, , 4)
CheckError "EndAt past UBound", 9
ExpectError
r = tlv.InArrayLong(a, 99, "x")
CheckError "StartAt not a number", 13
ExpectError
r = tlv.InArrayLong(Array("a"), 1)
CheckError "Array that does not convert", 13
ExpectError
r = tlv.InArrayLong(5, 1)
CheckError "Not an array", 13
Dim unallocated()
ExpectError
r = tlv.InArrayLong(unallocated, 1)
CheckError "Unallocated array", 9

s = tlv.ArrayString("abc", "ABC", "x")
r = tlv.InArrayString(s, "ABC")
CheckEqual "InArrayString is case-sensitive", r, 1
r = tlv.InArrayStringText(s, "Abc")
CheckEqual "InArrayStringText ignores case", r, 0
found = Empty
r = tlv.InArrayString(s, "nothing", , , found)
CheckEqual "InArrayString IsFound", found, False
r = tlv.IsInArrayStringText(s, "X")
CheckEqual "IsInArrayStringText", r, True
r = tlv.IsInArrayString(s, "X")
CheckEqual "IsInArrayString", r, False

' One variable as the array and as IsFound: the search is over before IsFound
' replaces the array.
s = tlv.ArrayString("a", "x")
r = tlv.InArrayString(s, "x", , , s)
CheckEqual "InArrayString with IsFound in the array's variable", r, 1
CheckEqual "IsFound replaces the array afterwards", s, True
s = tlv.ArrayString("a", "x")
r = tlv.InArrayStringText(s, "X", , , s)
CheckEqual "InArrayStringText with IsFound in the array's variable", r, 1
CheckEqual "IsFound replaces the array afterwards (Text)", s, True

' Collections: 1-based, 0 when not found.
Set c = tlv.Collection("abc", 2, Null, "3")
r = tlv.InCollection(c, 2)
CheckEqual "InCollection number", r, 2
r = tlv.InCollection(c, Null)
CheckEqual "Null never matches", r, 0
ExpectError
r = tlv.InCollectionString(c, "3")
CheckError "A Null item has no text", 94
Set c = tlv.Collection("abc", 2, "3")
r = tlv.InCollectionString(c, "ABC")
CheckEqual "InCollectionString is case-sensitive", r, 0
r = tlv.InCollectionStringText(c, "ABC")
CheckEqual "InCollectionStringText ignores case", r, 1
r = tlv.InCollectionString(c, 3, , , found)
CheckEqual "InCollectionString converts both to text", r, 3
CheckEqual "InCollectionString IsFound", found, True
r = tlv.IsInCollection(c, "abc")
CheckEqual "IsInCollection", r, True

Set c = tlv.Collection("a", "b")
r = tlv.InCollection(c, "a", 3)
CheckEqual "StartAt 3 on two items compares nothing", r, 0
ExpectError
r = tlv.InCollection(c, "zz", 1, 3)
CheckError "EndAt past the end", 9
ExpectError
r = tlv.InCollection(c, "zz", 0)
CheckError "StartAt 0", 9
ExpectError
r = tlv.InCollection(Nothing, "a")
CheckError "Nothing for the collection", 424
ExpectError
r = tlv.InCollection(42, "a")
CheckError "A number for the collection", 13

' Any automation object with Count and Item will do.
Class ScriptList
    Private colours
    Private Sub Class_Initialize()
        colours = Array("red", "green", "blue")
    End Sub
    Public Function Count()
        Count = 3
    End Function
    Public Default Function Item(i)
        If i < 1 Or i > 3 Then Err.Raise 9
        Item = colours(i - 1)
    End Function
End Class
Dim list
Set list = New ScriptList
r = tlv.InCollectionStringText(list, "GREEN")
CheckEqual "Search a script object with Count and Item", r, 2
r = tlv.JoinCollection(list, "+")
CheckEqual "Join a script object", r, "red+green+blue"
ExpectError
r = tlv.InCollection(list, "x", 1, 4)
CheckError "The object's own error passes through", 9

Summary
