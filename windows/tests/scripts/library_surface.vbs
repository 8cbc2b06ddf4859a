' The library's six classes created by programmatic identifier and driven
' through automation: the small classes, the library object and the style
' manager's properties. Ends with one line "N passed, M failed" and quits
' with M.
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

Dim progIds, progId, obj, n
progIds = Array("Sarn10B.clsKwAmbrTvsA", "Sarn10B.clsKwOrvel10BA", "Sarn10B.clsKwAmbrListViewWndClassA", _
                "Sarn10B.clsKwAmbrTreeviewWndClassA", "Sarn10B.clsKwAmbrGeneralA", "Sarn10B.clsKwAmbrAdvancedA")
For Each progId In progIds
    Set obj = Nothing
    On Error Resume Next
    Set obj = CreateObject(progId)
    n = Err.Number
    On Error GoTo 0
    Check n = 0 And IsObject(obj), "creates " & progId & " (error " & n & ")"
    If n = 0 Then Check Not (obj Is Nothing), progId & " is an object"
Next

' Handle: 0 at creation, any value stored unchanged, separate per instance.
Dim handleClasses, a, b
handleClasses = Array("Sarn10B.clsKwAmbrTreeviewWndClassA", "Sarn10B.clsKwAmbrListViewWndClassA")
For Each progId In handleClasses
    Set a = CreateObject(progId)
    Set b = CreateObject(progId)
    Check a.Handle = 0, progId & ": Handle is 0 at creation"
    a.Handle = -123456
    b.Handle = 2147483647
    Check a.Handle = -123456, progId & ": a negative Handle comes back unchanged"
    Check b.Handle = 2147483647, progId & ": the largest Handle comes back unchanged"
    Check TypeName(a.Handle) = "Long", progId & ": Handle is a Long, not " & TypeName(a.Handle)
    On Error Resume Next
    a.Handle = "not a number"
    n = Err.Number
    On Error GoTo 0
    Check n = 13, progId & ": a text that is no number is a type mismatch (error " & n & ")"
    Check a.Handle = -123456, progId & ": a refused Handle keeps the old value"
Next

' Classes without members answer every name with 438.
For Each progId In Array("Sarn10B.clsKwAmbrGeneralA", "Sarn10B.clsKwAmbrAdvancedA")
    Set obj = CreateObject(progId)
    On Error Resume Next
    n = obj.Handle
    n = Err.Number
    On Error GoTo 0
    Check n = 438, progId & " has no members (error " & n & ")"
Next

' The library object: the application object, resources, the buddy slot.
Dim lib, lib2, app, data, tvs
Set lib = CreateObject("Sarn10B.clsKwOrvel10BA")
Set lib2 = CreateObject("Sarn10B.clsKwOrvel10BA")
Set app = lib.GetProStdProperties
Check Not (app Is Nothing), "GetProStdProperties hands out the application object"
Check app Is lib2.GetProStdProperties, "every instance hands out the same application object"
Check lib.BuddyObjectGlobal Is Nothing, "the buddy slot starts empty"
Set tvs = CreateObject("Sarn10B.clsKwAmbrTvsA")
Set lib.BuddyObjectGlobal = tvs
Check lib2.BuddyObjectGlobal Is tvs, "the buddy slot is shared by every instance on the thread"
Set lib.BuddyObjectGlobal = Nothing
Check lib2.BuddyObjectGlobal Is Nothing, "the buddy slot can be emptied"
data = lib.GetProResData(1, "CLASSINFO")
Check VarType(data) = 8209, "GetProResData returns a data resource as a byte array (VarType " & VarType(data) & ")"
On Error Resume Next
n = lib.GetProResStrings(424242)
n = Err.Number
On Error GoTo 0
Check n = 326, "a missing string resource fails with 326 (error " & n & ")"
On Error Resume Next
n = lib.NoSuchMember
n = Err.Number
On Error GoTo 0
Check n = 438, "an unknown member fails with 438 (error " & n & ")"

' The style manager's properties, unbound.
Dim m
Set m = CreateObject("Sarn10B.clsKwAmbrTvsA")
Check m.Tag = "", "Tag starts empty"
m.Tag = "Grüße"
Check m.Tag = "Grüße", "Tag keeps a text beyond ASCII"
Check m.ImageStyles = 0, "ImageStyles starts at 0"
m.ImageStyles = 2
Check m.ImageStyles = 2, "ImageStyles keeps the picture set"
Check m.IsExpanded = False, "IsExpanded starts False"
m.NodeChildren = 7
Check m.NodeChildren = 7, "NodeChildren keeps its value"
Check m.TreeViewObject Is Nothing, "no tree view is bound at creation"
Check m.QueryNodeKeysCollection.Count = 0, "the keys collection creates itself empty"
Check m.QueryNodeKeysCollection Is m.QueryNodeKeysCollection, "the keys collection is the same object each time"
Set m.BuddyObject = lib
Check m.BuddyObject Is lib, "BuddyObject keeps the object it is given"
Set m = Nothing

WScript.Echo passed & " passed, " & failed & " failed"
WScript.Quit failed
