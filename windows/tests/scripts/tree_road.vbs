' The road of a typical use through automation only: an in-memory tree view
' from its own component server, a style manager bound to it, sections of
' check boxes and option buttons, clicks, select all, queries, the keyboard,
' reports to the error handler, and Refresh. Ends with one line
' "N passed, M failed" and quits with M.
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

Dim tv, m, handler, states, texts, keys, n
Set handler = CreateObject("KwBrenta10.clsKwbrErrorHandlerA")
handler.ClearReports
Set tv = CreateObject("SarnTree.TreeView")
Set m = CreateObject("Sarn10B.clsKwAmbrTvsA")

Set m.TreeViewObject = tv
Check m.TreeViewObject Is tv, "the bound tree view comes back as itself"

' A section of check boxes and one of option buttons.
m.AddNode , , "S1", "Fonts", 0
m.AddNode "S1", 4, "CBbold", "Bold"
m.AddNode "S1", 4, "CBital", "Italic", 2
m.AddNode , , "S2", "Align", 0
m.AddNode "S2", 4, "OBleft", "Left", 3
m.AddNode "S2", 4, "OBright", "Right", 4
Check tv.Nodes.Count = 6, "six nodes were added (" & tv.Nodes.Count & ")"
Check ImageOf(tv, "S1") = "S1", "a section shows the picture under its own key"
Check ImageOf(tv, "CBbold") = "chkoff", "the default item style is a check box that is off"
Check ImageOf(tv, "CBital") = "chkon", "an item added on shows chkon"
Check tv.Nodes.Item("CBbold").Parent.Key = "S1", "items go under their section"
Check handler.ReportCount = 0, "adding nodes reports nothing (" & handler.ReportCount & " reports)"

' Clicks toggle check boxes and switch option buttons.
tv.ClickNode "CBbold"
Check ImageOf(tv, "CBbold") = "chkon", "a click switches a check box on"
tv.ClickNode "CBbold"
Check ImageOf(tv, "CBbold") = "chkoff", "a second click switches it off again"
tv.ClickNode "OBleft"
Check ImageOf(tv, "OBleft") = "opton" And ImageOf(tv, "OBright") = "optoff", _
      "a click on an option button switches it on and its siblings off"
Check m.Tag = "" And m.NodeChildren = 0, "the manager records the clicked item's tag and child count"

' Queries of a section.
Set states = m.QueryNodeCollection("S1")
Check states.Count = 2, "the query holds one state per item (" & states.Count & ")"
If states.Count = 2 Then Check states.Item(1) = "False" And states.Item(2) = "True", "the states in order"
Set texts = m.QueryNodeTextCollection
Set keys = m.QueryNodeKeysCollection
Check texts.Count = 2 And keys.Count = 2, "the text and key collections fill with the query"
If keys.Count = 2 Then Check texts.Item(1) = "Bold" And keys.Item(2) = "CBital", "texts and keys in order"
Set states = m.QueryNodeCollection("S2", 2)
If states.Count = 2 Then Check states.Item(1) = "True" And states.Item(2) = "False", "option button states"

' Select all, then invert.
n = m.CBSelectAll("S1", True)
Check n = 2, "CBSelectAll answers the section's item count (" & n & ")"
Check ImageOf(tv, "CBbold") = "chkon" And ImageOf(tv, "CBital") = "chkon", "select all switches every check box on"
m.CBSelectAll "S1", False, True
Check ImageOf(tv, "CBbold") = "chkoff" And ImageOf(tv, "CBital") = "chkoff", "invert switches them off again"

' Per-item operations.
Check m.CBOBGetState("S1", "CBbold") = False, "CBOBGetState of an item that is off"
Check m.CBOBGetState("S2", "OBleft") = True, "CBOBGetState of an option that is on"
Check m.NodeGetText("S1", "CBital") = "Italic", "NodeGetText"
Check m.GetTVSNodeStyle("S2", "OBright") = 3, "GetTVSNodeStyle of an option that is off"
m.CBSetStyle "S1", "CBbold", 2
Check ImageOf(tv, "CBbold") = "chkon", "CBSetStyle switches an item on"
Check IsEmpty(m.OBSelectIndex("S2", 2)), "OBSelectIndex answers Empty"
Check ImageOf(tv, "OBleft") = "opton" And ImageOf(tv, "OBright") = "optoff", "OBSelectIndex changes no item"
m.OBSetStyle "S2", "OBright", 4
Check ImageOf(tv, "OBright") = "opton", "OBSetStyle switches an option on"
Check m.MoreChildrenDefault("S1") = True, "a section with items has children"

' The keyboard: Ctrl+A expands and collapses everything.
Dim before
before = m.IsExpanded
tv.PressKey 65, 2
Check m.IsExpanded <> before, "Ctrl+A on the tree view toggles expanding"
tv.ReleaseKey 65, 2

' The pointer: with HitTestOnMouseMove the selection follows the pointer.
m.HitTestOnMouseMove = True
m.ExpandAll True
tv.MovePointer 0, 0, 10, 20
Check Not (tv.SelectedItem Is Nothing), "moving the pointer over a row selects its node"
If Not (tv.SelectedItem Is Nothing) Then Check tv.SelectedItem.Key = "CBbold", "the node under the pointer is selected"

' Failures are reported, not raised.
n = m.NodeGetText("S9", "CBbold")
Check n = "", "an unknown section gives the empty text"
Check handler.ReportCount > 0, "an unknown section is reported to the error handler"
If handler.ReportCount > 0 Then
    Check InStr(handler.Reports.Item(1), "czAmbrTVS.NodeGetText") = 1, "the report names its site: " & handler.Reports.Item(1)
    Check InStr(handler.Reports.Item(1), "35601") > 0, "the report carries the tree view's number"
End If

' Refresh empties and unbinds the tree.
m.Refresh
Check tv.Nodes.Count = 0, "Refresh empties the tree"
Check m.TreeViewObject Is Nothing, "Refresh unbinds the tree view"
tv.Nodes.Add , , "X", "after"
tv.ClickNode "X"
Check ImageOf(tv, "X") = "", "an unbound manager no longer hears clicks"

' The library object's About box goes to the About component.
Dim lib, about
Set about = CreateObject("KwBrenta10.clsKwBrenta10A")
about.ClearMessages
Set lib = CreateObject("Sarn10B.clsKwOrvel10BA")
Check lib.About = 0, "About answers 0"
Check about.MessageCount = 1, "About shows one message box (" & about.MessageCount & ")"

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
