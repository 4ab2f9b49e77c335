' A control array as a script object: LBound 0, UBound the last index of the
' list it holds, and the default member Item(Index), which raises 340 for a
' missing element (Empty in the list).
Class ControlArray
    Private items
    Private last
    Public Sub Init(list)
        items = list
        last = LastIndexOf(list)
    End Sub
    Public Function LBound()
        LBound = 0
    End Function
    Public Function UBound()
        UBound = last
    End Function
    Public Default Function Item(i)
        If Not IsObject(items(i)) Then Err.Raise 340
        Set Item = items(i)
    End Function
End Class

' Outside the class, where UBound is the language's own.
Function LastIndexOf(list)
    LastIndexOf = UBound(list)
End Function
