' CommandLineParser through tlvMain.CommandLine, as a late-bound client sees it.
Plan 24
Dim tlv, p, q, r, line, fso
Set tlv = CreateObject("Velmora.tlvMain")
Set fso = CreateObject("Scripting.FileSystemObject")

' One parser per tlvMain object, made on the first call.
Set p = tlv.CommandLine
Set q = tlv.CommandLine
Check "CommandLine returns the same parser", p Is q

' As created it holds the host's own command line, the script last.
r = p.Count
Check "own command line has arguments", r >= 1
CheckEqual "own command line ends with the script", LCase(p.Item(r - 1)), LCase(WScript.ScriptFullName)

line = "prog.exe  a ""b c""  d"
p.SetNewCommandLine line, False
CheckEqual "Count", p.Count, 3
CheckEqual "Item(-1) is the program", p.Item(-1), "prog.exe"
CheckEqual "Item(0)", p.Item(0), "a"
CheckEqual "quoted word keeps its blank", p.Item(1), "b c"
CheckEqual "default member", p(2), "d"
' A later CommandLine call sees the new line.
CheckEqual "same parser after SetNewCommandLine", tlv.CommandLine.Count, 3

' With the default True the running program's path comes first.
p.SetNewCommandLine line
CheckEqual "Count with the program path", p.Count, 4
CheckEqual "argument 0 is the typed program", p.Item(0), "prog.exe"
CheckEqual "Item(-1) is the host's path", LCase(p.Item(-1)), LCase(WScript.FullName)

p.SetNewCommandLine "p """" x ""a""b ""open  end", False
CheckEqual "empty quoted word", p.Item(0), ""
CheckEqual "after the empty word", p.Item(1), "x"
CheckEqual "closing quote ends a word", p.Item(2), "a"
CheckEqual "letters after it start the next", p.Item(3), "b"
CheckEqual "unpaired quote takes the rest", p.Item(4), "open  end"
CheckEqual "Count of that line", p.Count, 5

p.SetNewCommandLine "   ", False
CheckEqual "blank line has no arguments", p.Count, 0
CheckEqual "Item(-1) of an empty line is the host's path", LCase(p.Item(-1)), LCase(WScript.FullName)

ExpectError
r = p.Item(-2)
CheckError "Item(-2)", 9
p.SetNewCommandLine "p a", False
ExpectError
r = p.Item(1)
CheckError "Item past the last argument", 9
ExpectError
r = p.Item(2147483647)
CheckError "Item at the largest index", 9

' Clients cannot create a parser themselves.
Set q = Nothing
ExpectError
Set q = CreateObject("Velmora.CommandLineParser")
CheckError "CommandLineParser is not creatable", 429

Summary
