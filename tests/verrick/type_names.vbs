' TypeName of the library's objects is their class's name, not their interface's:
' the global classes, classes a script creates, and objects the library hands out.
Plan 12
Dim tlv, name, o

Set tlv = CreateObject("Velmora.tlvMain")
CheckEqual "global tlvMain", TypeName(tlv), "tlvMain"
For Each name In Array("tlvErr", "tlvClipboard", "tlvAutorunSupport")
    Set o = CreateObject("Velmora." & name)
    CheckEqual "global " & name, TypeName(o), name
Next
For Each name In Array("tlvSimpleListDialog", "tlvBenchMarkHP", "tlvMultiMonitor", "tlvTabControl")
    Set o = CreateObject("Velmora." & name)
    CheckEqual "created " & name, TypeName(o), name
Next

Set o = tlv.CommandLine
CheckEqual "handed out CommandLineParser", TypeName(o), "CommandLineParser"
Set o = CreateObject("Velmora.tlvMultiMonitor").MonitorFromPoint(0, 0, 0)
CheckEqual "handed out Monitor", TypeName(o), "Monitor"
' The runtime's own collection is named as the classic runtime names it.
Set o = tlv.Collection("a")
CheckEqual "handed out Collection", TypeName(o), "Collection"
' The members are still found through the object as before.
CheckEqual "members still answer", o.Count, 1

Summary
