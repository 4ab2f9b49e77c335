' JoinCollection and SplitCollection.
Plan 26
Dim tlv, c, r, i, big, parts
Set tlv = CreateObject("Velmora.tlvMain")

Set c = tlv.Collection("a", "b", "c")
r = tlv.JoinCollection(c, "; ")
CheckEqual "Join three items", r, "a; b; c"
r = tlv.JoinCollection(tlv.Collection("only"), ",")
CheckEqual "Join one item", r, "only"
r = tlv.JoinCollection(tlv.Collection(), ",")
CheckEqual "Join an empty collection", r, ""
r = tlv.JoinCollection(tlv.Collection("C:\Data", "D:\Music"), vbCrLf)
CheckEqual "Join paths by line breaks, none after the last", r, "C:\Data" & vbCrLf & "D:\Music"
r = tlv.JoinCollection(tlv.Collection(1, True, 2.5), "|")
CheckEqual "Join converts to text", r, "1|True|2.5"

' An item without text (a collection has no default value without an index):
' skipped with its delimiter kept, or raised on request.
Set c = tlv.Collection("a", tlv.Collection(), "c")
r = tlv.JoinCollection(c, ",")
CheckEqual "Join skips an item without text", r, "a,,c"
ExpectError
r = tlv.JoinCollection(c, ",", True)
CheckError "Join raises when asked", 449
r = tlv.JoinCollection(Nothing, ",")
CheckEqual "Join of Nothing ignores the error", r, ""
ExpectError
r = tlv.JoinCollection(Nothing, ",", True)
CheckError "Join of Nothing raises when asked", 424

Set c = tlv.SplitCollection("a,b,,c", ",")
CheckEqual "Split count", c.Count, 4
CheckEqual "Split empty third part", c(3), ""
CheckEqual "Split last part", c(4), "c"
Set c = tlv.SplitCollection("one two")
CheckEqual "Split on a blank by default", c.Count, 2
CheckEqual "Split default second part", c(2), "two"
Set c = tlv.SplitCollection("")
CheckEqual "Split of empty text", c.Count, 0
Set c = tlv.SplitCollection("a-b-c-d", "-", 2)
CheckEqual "Split with Limit", c.Count, 2
CheckEqual "Split Limit keeps the rest", c(2), "b-c-d"
Set c = tlv.SplitCollection("aXbxc", "x", -1, 1)
CheckEqual "Split text compare", c.Count, 3
Set c = tlv.SplitCollection("aXbxc", "x")
CheckEqual "Split binary compare", c.Count, 2
Set c = tlv.SplitCollection("abc", "")
CheckEqual "Split on an empty delimiter", c(1), "abc"
Set c = tlv.SplitCollection("a b", " ", -2)
CheckEqual "Split with a bad Limit ignores the error", c.Count, 0
ExpectError
Set c = tlv.SplitCollection("a b", " ", -2, 0, True)
CheckError "Split with a bad Limit raises when asked", 5
ExpectError
Set c = tlv.SplitCollection("a b", Null, -1, 0, True)
CheckError "Split with a Null delimiter raises when asked", 94

' Large collections round-trip, in linear time.
big = String(20000, "x")
big = Replace(big, "x", "ab,")
Set c = tlv.SplitCollection(big, ",")
CheckEqual "Split 20001 parts", c.Count, 20001
r = tlv.JoinCollection(c, ",")
CheckEqual "Join gives back the text", Len(r), Len(big)
Check "Join gives back the same text", r = big

Summary
