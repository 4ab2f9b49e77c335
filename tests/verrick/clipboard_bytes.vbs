' Bytes of an ASCII text, as a script can make them (numbers in a Variant
' array; Wine's VBScript stops on ReDim inside a function); CRLF written as |.
Function Bytes(text)
    Dim t, i, list
    t = Replace(text, "|", vbCrLf)
    list = ""
    For i = 1 To Len(t)
        list = list & "," & Asc(Mid(t, i, 1))
    Next
    Bytes = Split(Mid(list, 2), ",")
End Function
