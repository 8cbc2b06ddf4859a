' What script clients do with the library beyond the typical road: walk its
' collections with For Each, read a collection property with an index (the
' index goes to the collection's default member, Item) and get 450 for
' arguments a member does not take. (Texts with lone surrogates are checked from JScript: this VBScript
' engine has no ChrW.) Ends with one line
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

' The items of a collection as one text, walked with For Each.
Function Walked(c)
    Dim item, s
    s = ""
    For Each item In c
        s = s & "[" & item & "]"
    Next
    Walked = s
End Function

Dim tv, m, m2, n, number
Set tv = CreateObject("SarnTree.TreeView")
Set m = CreateObject("Sarn10B.clsKwAmbrTvsA")
Set m.TreeViewObject = tv
m.AddNode , , "S1", "Fonts", 0
m.AddNode "S1", 4, "CBbold", "Bold"
m.AddNode "S1", 4, "CBital", "Italic", 2

' Collections walk with For Each: a query's result, the text and key
' collections, and a collection that the host hands back in.
On Error Resume Next
Check Walked(m.QueryNodeCollection("S1")) = "[False][True]", "For Each over a query result"
Check Err.Number = 0, "For Each over a query result raises nothing (" & Err.Number & ")"
Err.Clear
Check Walked(m.QueryNodeTextCollection) = "[Bold][Italic]", "For Each over the text collection"
Check Walked(m.QueryNodeKeysCollection) = "[CBbold][CBital]", "For Each over the key collection"
Check Err.Number = 0, "For Each over the manager's collections raises nothing (" & Err.Number & ")"
Err.Clear
Set m2 = CreateObject("Sarn10B.clsKwAmbrTvsA")
Set m2.QueryNodeKeysCollection = m.QueryNodeKeysCollection
Check m2.QueryNodeKeysCollection Is m.QueryNodeKeysCollection, "a collection handed in comes back as itself"
Check Walked(m2.QueryNodeKeysCollection) = "[CBbold][CBital]", "For Each over a collection handed in"
Check Walked(m.QueryNodeCollection("S9")) = "", "For Each over an empty result runs no pass"
Check Err.Number = 0, "For Each over handed-in and empty collections raises nothing (" & Err.Number & ")"
On Error GoTo 0

' Members without parameters refuse arguments with 450 and do nothing.
On Error Resume Next
Err.Clear
m.Refresh 1
number = Err.Number
On Error GoTo 0
Check number = 450, "Refresh with an argument fails with 450 (" & number & ")"
Check tv.Nodes.Count = 3, "a refused Refresh leaves the tree alone (" & tv.Nodes.Count & " nodes)"
On Error Resume Next
Err.Clear
n = m.NodeChildren(5)
number = Err.Number
On Error GoTo 0
Check number = 450, "NodeChildren read with an argument fails with 450 (" & number & ")"

' An index to a collection property reaches the collection's Item.
Check m.QueryNodeTextCollection(1) = "Bold", "QueryNodeTextCollection(1) is the first text"
Check m.QueryNodeKeysCollection(2) = "CBital", "QueryNodeKeysCollection(2) is the second key"
Check m.QueryNodeCollection("S1")(2) = "True", "an index to a query's result is its Item"
Check tv.Nodes(1).Key = "S1" And tv.Nodes("CBital").Text = "Italic", "an index to the tree view's Nodes is its Item"
Dim outcomes
outcomes = ""
On Error Resume Next
Err.Clear : n = m.QueryNodeTextCollection(9) : outcomes = outcomes & " " & Err.Number
Err.Clear : n = m.QueryNodeKeysCollection(1, 2) : outcomes = outcomes & " " & Err.Number
Err.Clear : n = m.Tag(1) : outcomes = outcomes & " " & Err.Number
Err.Clear : n = m.TreeViewObject(1) : outcomes = outcomes & " " & Err.Number
Err.Clear : n = m.BuddyObject(1) : outcomes = outcomes & " " & Err.Number
On Error GoTo 0
Check outcomes = " 9 450 450 450 450", _
      "an index the collection lacks fails with 9; a result that takes no index (a text, a tree view without " & _
      "a default member, nothing) fails with 450:" & outcomes
Dim texts
texts = m.QueryNodeTextCollection.Count
On Error Resume Next
Err.Clear
m.QueryNodeTextCollection(1) = "changed"
number = Err.Number
On Error GoTo 0
Check number = 450, "an index with an assignment to a collection property fails with 450 (" & number & ")"
Check m.QueryNodeTextCollection(1) = "Bold" And m.QueryNodeTextCollection.Count = texts, "and changes nothing"

' A node read twice is one object.
Check tv.Nodes.Item("S1") Is tv.Nodes.Item("S1"), "two reads of a node are the same object"
Check tv.Nodes.Item("CBbold").Parent Is tv.Nodes.Item("S1"), "a node's parent is the node read by its key"

' A picture keeps its identity: AddNode writes back the picture it used, and
' one that it leaves alone comes back as the caller's own object.
Dim p, blank
Set p = Nothing
m.AddNode , , "S3", "Colours", 0, "", p
Check Not p Is Nothing, "AddNode of a section writes back the picture it used"
Set blank = p
Check p.Type = 3, "the blank picture crosses as an icon (Type " & p.Type & ")"
m.AddNode "S3", 4, "CBred", "Red", 1, "", p
Check p Is blank, "a picture that AddNode leaves alone is still the caller's object"
m.AddNode , , "S4", "Sizes", 0, "S4key", p
Check p Is blank, "a section added with a key leaves the caller's picture as it was"

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
