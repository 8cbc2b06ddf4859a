' The road of a typical use through automation only, on the platform's own
' tree view control: the control from its component server, a style manager
' bound to it, sections of check boxes and option buttons, clicks and keys
' through real input messages, select all, queries, reports to the error
' handler, and Refresh. Ends with one line "N passed, M failed".
Option Explicit
Dim passed, failed
passed = 0 : failed = 0

Sub Check(ok, what)
    If ok Then
        passed = passed + 1
    Else
        failed = failed + 1
        WScript.Echo "FAILED: " & what
    End If
End Sub

Function ImageOf(tv, key)
    ImageOf = tv.Nodes.Item(key).Image
End Function

Dim tv, m, handler, states, n
Set handler = CreateObject("KwBrenta10.clsKwbrErrorHandlerA")
handler.ClearReports
Set tv = CreateObject("SarnControl.TreeControl")
tv.Visible = True
Set m = CreateObject("Sarn10B.clsKwAmbrTvsA")

Set m.TreeViewObject = tv
Check m.TreeViewObject Is tv, "the bound control comes back as itself"
Check tv.hWnd <> 0, "the control has a window"

m.AddNode , , "S1", "Fonts", 0, , , True
m.AddNode "S1", 4, "CBbold", "Bold"
m.AddNode "S1", 4, "CBital", "Italic", 2
m.AddNode , , "S2", "Align", 0, , , True
m.AddNode "S2", 4, "OBleft", "Left", 3, , , , "Left aligned"
m.AddNode "S2", 4, "OBright", "Right", 4
Check tv.Nodes.Count = 6, "six nodes were added (" & tv.Nodes.Count & ")"
Check ImageOf(tv, "CBbold") = "chkoff" And ImageOf(tv, "CBital") = "chkon", "the items show their styles"
Check Not tv.ImageList Is Nothing, "the control has the manager's image list"
Check tv.LabelEdit = 1, "the manager asks for manual label editing"

' Real clicks on the control's items.
tv.ClickNode "CBbold"
Check ImageOf(tv, "CBbold") = "chkon", "a click switches a check box on"
tv.ClickNode "CBbold"
Check ImageOf(tv, "CBbold") = "chkoff", "a second click switches it off again"
tv.ClickNode "OBleft"
Check ImageOf(tv, "OBleft") = "opton" And ImageOf(tv, "OBright") = "optoff", _
      "a click on an option button switches it on and its siblings off"
Check m.Tag = "Left aligned" And m.NodeChildren = 0, "the manager records the clicked item's tag and child count"
tv.ClickNode "S1"
Check m.NodeChildren = 2, "a click on a section records its item count"
Check tv.SelectedItem.Key = "S1", "the click selected the section in the control"

' Queries and select all.
Set states = m.QueryNodeCollection("S1")
Check states.Count = 2, "the query holds one state per item (" & states.Count & ")"
If states.Count = 2 Then Check states.Item(1) = "False" And states.Item(2) = "True", "the states in order"
n = m.CBSelectAll("S1", True)
Check ImageOf(tv, "CBbold") = "chkon" And ImageOf(tv, "CBital") = "chkon", "select all switches every check box on"

' Ctrl+A through the keyboard opens and closes every section.
tv.PressKey 65, 2 : tv.ReleaseKey 65, 2
Check m.IsExpanded = True And tv.Nodes.Item("S1").Expanded And tv.Nodes.Item("S2").Expanded, "Ctrl+A opens every section"
tv.PressKey 65, 2 : tv.ReleaseKey 65, 2
Check m.IsExpanded = False And Not tv.Nodes.Item("S1").Expanded And Not tv.Nodes.Item("S2").Expanded, _
      "Ctrl+A again closes every section"

' Shift pressed and released: the Ctrl+A after it is Ctrl+A, not Ctrl+Shift+A.
tv.PressKey 16, 1 : tv.ReleaseKey 16, 0
tv.PressKey 65, 2 : tv.ReleaseKey 65, 2
Check m.IsExpanded = True And tv.Nodes.Item("S1").Expanded, "Ctrl+A after Shift was pressed and released opens every section"
tv.PressKey 65, 2 : tv.ReleaseKey 65, 2

' An item with an empty text is clicked where the control places the click on it.
m.AddNode "S1", 4, "CBblank", ""
tv.ClickNode "CBblank"
Check ImageOf(tv, "CBblank") = "chkon", "a click switches an item with an empty text on (" & ImageOf(tv, "CBblank") & ")"

' A failure reaches the error channel with the control's number.
m.NodeGetText "S1", "CBnone"
Check handler.ReportCount = 0, "an item that is missing is no failure of NodeGetText (" & handler.ReportCount & ")"
m.NodeGetText "S9", "CBbold"
Check handler.ReportCount > 0, "a section that is missing is reported"
If handler.ReportCount > 0 Then
    Check InStr(handler.Reports.Item(1), "czAmbrTVS.NodeGetText") = 1 And InStr(handler.Reports.Item(1), "35601") > 0, _
          "first with its site and the control's number: " & handler.Reports.Item(1)
End If

' The control's own failures reach the script with its numbers.
Dim numbers
On Error Resume Next
tv.Nodes.Item "nobody"
numbers = Err.Number : Err.Clear
tv.Nodes.Add , , "s1", "a key that S1 has already"
numbers = numbers & " " & Err.Number : Err.Clear
tv.Nodes.Item("CBbold").Image = "nothing"
numbers = numbers & " " & Err.Number : Err.Clear
tv.Nodes.Item(99).Text = "x"
numbers = numbers & " " & Err.Number : Err.Clear
tv.MovePointer 0, 0, 1E+30, 0
numbers = numbers & " " & Err.Number : Err.Clear
On Error GoTo 0
Check numbers = "35601 35602 35601 35600 6", "the failure numbers: " & numbers

m.Refresh
Check tv.Nodes.Count = 0 And tv.ImageList Is Nothing And m.TreeViewObject Is Nothing, "Refresh empties and unbinds"
tv.Visible = False

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
