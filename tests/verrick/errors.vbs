' tlvErr as a script reaches it: every member, script objects standing in
' for the error object, the HTTP request and the FTP client, and the timed
' box closing by its own countdown.

Plan 24

Class FakeError
    Public Number
    Public Description
    Public Source
    Public HelpFile
    Public HelpContext
End Class

Class FakeHttp
    Public LastRC
    Public ResponseCode
    Public ResponseText
    Public ErrorCode
    Public ErrorText
End Class

' An FTP client whose every property raises.
Class RaisingFtp
    Public Property Get LastRC()
        Err.Raise 5
    End Property
    Public Property Get ErrorCode()
        Err.Raise 13
    End Property
    Public Property Get ErrorText()
        Err.Raise 5
    End Property
End Class

' An HTTP request with none of the properties at all.
Class Empty1
    Public Other
End Class

Dim e, fe, http, t, r, d, s, crlf
crlf = Chr(13) & Chr(10)
Set e = CreateObject("Velmora.tlvErr")
Check "created", IsObject(e)

Set fe = New FakeError
fe.Number = 5
fe.Description = "two" & crlf & "words"
fe.Source = ""
fe.HelpFile = ""
fe.HelpContext = 0
t = e.GetErrorMessage(fe)
CheckEqual "GetErrorMessage", t, "Error number: 5" & crlf & "Description:  two words"
t = e.GetShortErrorMessage(fe)
CheckEqual "GetShortErrorMessage", t, "Error 5: two words"

' The script's own Err object.
Err.Raise 9, "errors.vbs", "Out of range"
Dim own
own = e.GetShortErrorMessage(Err)
Err.Clear
CheckEqual "GetShortErrorMessage of Err", own, "Error 9: Out of range"

t = e.GetErrorMessageAPI(0)
CheckEqual "GetErrorMessageAPI 0", t, "Unknown Win32 API error."
t = e.GetShortErrorMessageAPI(5)
Check "GetShortErrorMessageAPI 5", Left(t, 19) = "Win32 API error 5: " And Len(t) > 19
t = e.GetErrorMessageWinMM(0)
CheckEqual "GetErrorMessageWinMM 0", t, "Unknown WinMM.DLL error."
t = e.GetShortErrorMessageWinMM(9999)
CheckEqual "GetShortErrorMessageWinMM", t, "WinMM.DLL error 9999: Unknown WinMM.DLL error."
t = e.GetErrorMessageModule(5, "   ")
CheckEqual "GetErrorMessageModule blank", t, "Unknown module error."
t = e.GetShortErrorMessageModule(0, "netmsg.dll")
CheckEqual "GetShortErrorMessageModule 0", t, "Unknown netmsg.dll error."

Set http = New FakeHttp
http.LastRC = 4
http.ResponseCode = 404
http.ResponseText = "Not Found"
http.ErrorCode = 0
http.ErrorText = ""
t = e.GetErrorMessageHTTPRequest(http)
CheckEqual "GetErrorMessageHTTPRequest", t, "InternetSendRequest() failed." & crlf & crlf & "HTTP response: 404, Not Found."
http.LastRC = "four"
http.ResponseCode = Null
t = e.GetErrorMessageHTTPRequest(http)
CheckEqual "HTTP values of the wrong kind", t, ""
t = e.GetErrorMessageHTTPRequest(New Empty1)
CheckEqual "HTTP without the properties", t, ""
t = e.GetErrorMessageFTPClient(New RaisingFtp)
CheckEqual "FTP whose properties raise", t, ""
t = e.GetErrorMessageHTTPRequest(Nothing)
CheckEqual "no HTTP object", t, ""

' Display functions, silent: literals and script variables (by reference) alike.
r = e.ErrorDisplay(fe, 16, "Title", "Saving", True)
CheckEqual "ErrorDisplay silent", r, 1
d = "Saving"
s = True
r = e.ErrorDisplayAPI(5, 16, "Title", d, s)
CheckEqual "ErrorDisplayAPI silent", r, 1
r = e.ErrorDisplayWinMM(2, , , , True)
CheckEqual "ErrorDisplayWinMM silent", r, 1
r = e.ErrorDisplayModule(5, "kernelbase.dll", 48, "", "", s)
CheckEqual "ErrorDisplayModule silent", r, 1
http.LastRC = 1
r = e.ErrorDisplayHTTPRequest(http, 16, "Title", "", True)
CheckEqual "ErrorDisplayHTTPRequest silent", r, 1
r = e.ErrorDisplayFTPClient(New RaisingFtp, 16, "Title", "", True)
CheckEqual "ErrorDisplayFTPClient silent", r, 1
r = e.ErrorDisplayHTTPRequest(Nothing)
CheckEqual "ErrorDisplayHTTPRequest of Nothing", r, 0

' The timed box answers with its default button once its second has run out.
r = e.ShowErrorBox("Closing by itself", 36, "Script", -1, -1, 0)
CheckEqual "ShowErrorBox by time-out", r, 6
r = e.ShowErrorBox("Closing by itself", 1, , 1, , 1)
CheckEqual "ShowErrorBox chosen default", r, 2

Summary
