' Every public class of the library once, as a late-bound client of the
' server's own width reaches it: made (created, or handed out by another
' object), one member that answers with data, one call that raises, and the
' collections walked with For Each. One script host run for all of them.
Plan 34
Dim tlv, o, c, item, text, count

Set tlv = CreateObject("Velmora.tlvMain")
Set c = tlv.SplitCollection("one two three", " ")
text = ""
For Each item In c
    text = text & "[" & item & "]"
Next
CheckEqual "tlvMain: SplitCollection walked with For Each", text, "[one][two][three]"
ExpectError
Set c = tlv.SplitCollection("a b", " ", -2, 0, True)
CheckError "tlvMain: SplitCollection with a bad Limit", 5
Set c = tlv.Collection("a", "b")
ExpectError
item = c(3)
CheckError "Collection: an item past the end", 9

Set o = tlv.CommandLine
Check "CommandLineParser: Count", o.Count >= 0
ExpectError
item = o.Item(-2)
CheckError "CommandLineParser: Item(-2)", 9

Set o = CreateObject("Velmora.tlvAlone")
Check "tlvAlone: the activation message is a registered one", o.WM_ACTIVATE_PREV_INSTANCE >= &HC000&
ExpectError
item = o.MarkPrevInstanceWindow("not a window", 69)
CheckError "tlvAlone: a window handle that is text", 13

Set o = CreateObject("Velmora.tlvBenchMark")
o.FirstMark False
o.LastMark
Check "tlvBenchMark: a difference", o.GetTickDifferenceMS() >= 0
ExpectError
text = o.toString("many")
CheckError "tlvBenchMark: iterations that are text", 13

Set o = CreateObject("Velmora.tlvBenchMarkHP")
Check "tlvBenchMarkHP: the counter's frequency", o.GetTickFrequencyPerSec() > 0
ExpectError
o.FirstMark "no"
CheckError "tlvBenchMarkHP: a beep flag that is text", 13

Set o = CreateObject("Velmora.tlvTextBoxDefButtonWatcher")
CheckEqual "tlvTextBoxDefButtonWatcher: created", TypeName(o), "tlvTextBoxDefButtonWatcher"
ExpectError
o.Init tlv, Nothing, Nothing
CheckError "tlvTextBoxDefButtonWatcher: a button that is no button", 13

Set o = CreateObject("Velmora.tlvTabControl")
CheckEqual "tlvTabControl: no tabs yet", o.TabsCount, 0
ExpectError
Set item = o.TabItem(1)
CheckError "tlvTabControl: TabItem(1) of no tabs", 9

Set o = CreateObject("Velmora.tlvAutorunSupport")
CheckEqual "tlvAutorunSupport: for the current user by default", o.ForCurrentUserOnly, True
CheckEqual "tlvAutorunSupport: an unknown program", o.IsInAutorun("{00000000-0000-0000-0000-000000000001}"), False
ExpectError
o.ForCurrentUserOnly = "perhaps"
CheckError "tlvAutorunSupport: a flag that is text", 13

Set o = CreateObject("Velmora.tlvMultiMonitor")
Set c = o.GetAllMonitors()
count = 0
For Each item In c
    count = count + 1
Next
Check "tlvMultiMonitor: the monitors walked with For Each", count >= 1 And count = c.Count
ExpectError
Set item = o.MonitorFromNewRect(2147483647, 0, 1, 1, 0)
CheckError "tlvMultiMonitor: a width past the 32-bit range", 6

Set item = c(1)
Check "Monitor: its width", item.MonitorWidth > 0
CheckEqual "Monitor: the right edge", item.MonitorRight, item.MonitorLeft + item.MonitorWidth
ExpectError
Set item = CreateObject("Velmora.Monitor")
CheckError "Monitor: not creatable", 429

Set o = CreateObject("Velmora.tlvSimpleListDialog")
o.Caption = "Pick one"
CheckEqual "tlvSimpleListDialog: its caption", o.Caption, "Pick one"
ExpectError
o.Elements = 5
CheckError "tlvSimpleListDialog: elements that are no collection", 13

Set o = CreateObject("Velmora.tlvErr")
Check "tlvErr: the system's text of error 5", Len(o.GetErrorMessageAPI(5)) > 0
ExpectError
text = o.GetErrorMessage(tlv)
CheckError "tlvErr: an error object without a Number", 438

Set o = CreateObject("Velmora.ucIconControl")
CheckEqual "ucIconControl: created", TypeName(o), "ucIconControl"
Check "ucIconControl: its back colour", o.BackColor <> -1
ExpectError
o.MousePointer = 1000
CheckError "ucIconControl: a pointer out of range", 380

Set o = CreateObject("Velmora.tlvClipboard")
Check "tlvClipboard: the HTML format is a registered one", o.CF_HTML >= &HC000&
item = o.SetText("every class")
CheckEqual "tlvClipboard: text round trip", o.GetText(), "every class"
Set c = o.GetFormats()
count = 0
For Each item In c
    If item = 13 Then count = count + 1
Next
CheckEqual "tlvClipboard: its formats walked with For Each, Unicode text among them", count, 1
ExpectError
text = o.GetFormatName("text")
CheckError "tlvClipboard: a format that is text", 13

Summary
