' Run after the servers were unregistered: no class can be created by its
' programmatic identifier any more. Ends with "N passed, M failed", quits with M.
Option Explicit
Dim passed, failed, progId, obj, n
passed = 0 : failed = 0
For Each progId In Array("Sarn10B.clsKwAmbrTvsA", "Sarn10B.clsKwOrvel10BA", "Sarn10B.clsKwAmbrListViewWndClassA", _
                         "Sarn10B.clsKwAmbrTreeviewWndClassA", "Sarn10B.clsKwAmbrGeneralA", "Sarn10B.clsKwAmbrAdvancedA", _
                         "SarnTree.TreeView", "KwBrenta10.clsKwbrErrorHandlerA", "KwBrenta10.clsKwBrenta10A")
    On Error Resume Next
    Set obj = CreateObject(progId)
    n = Err.Number
    On Error GoTo 0
    If n = 429 Then
        passed = passed + 1
    Else
        failed = failed + 1
        WScript.Echo "FAILED: " & progId & " can still be created (error " & n & ")"
    End If
Next
WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
