// What JScript clients do with the library: walk its collections with
// Enumerator, assign properties (JScript sends the put and put-by-reference
// flags together), read a collection property with an index (it reaches the
// collection's Item), get 450 for arguments a member does not take, and hand
// texts across unchanged. Ends with one line "N passed, M failed" and quits
// with M.
var passed = 0, failed = 0;

function check(ok, what) {
    if (ok) {
        passed++;
    } else {
        failed++;
        WScript.Echo("FAILED: " + what);
    }
}

// The error number that f raises (0 for none), as the runtime numbers it.
function errorOf(f) {
    try {
        f();
        return 0;
    } catch (e) {
        return e.number & 0xFFFF;
    }
}

// The items of a collection as one text, walked with an Enumerator.
function walked(c) {
    var s = "";
    for (var e = new Enumerator(c); !e.atEnd(); e.moveNext()) s += "[" + e.item() + "]";
    return s;
}

var tv = new ActiveXObject("SarnTree.TreeView");
var m = new ActiveXObject("Sarn10B.clsKwAmbrTvsA");
m.TreeViewObject = tv;
check(m.TreeViewObject === tv || m.TreeViewObject == tv, "an object property assigned with = is set");
m.AddNode("", 1, "S1", "Fonts", 0);
m.AddNode("S1", 4, "CBbold", "Bold");
m.AddNode("S1", 4, "CBital", "Italic", 2);

var text = "";
check(errorOf(function () { text = walked(m.QueryNodeCollection("S1")); }) == 0, "new Enumerator over a query result");
check(text == "[False][True]", "the query result walks in order: " + text);
check(walked(m.QueryNodeTextCollection) == "[Bold][Italic]", "new Enumerator over the text collection");
check(walked(m.QueryNodeKeysCollection) == "[CBbold][CBital]", "new Enumerator over the key collection");
var m2 = new ActiveXObject("Sarn10B.clsKwAmbrTvsA");
m2.QueryNodeKeysCollection = m.QueryNodeKeysCollection;
check(walked(m2.QueryNodeKeysCollection) == "[CBbold][CBital]", "new Enumerator over a collection handed in");
check(walked(m.QueryNodeCollection("S9")) == "", "an empty result is at its end at once");

// Assignments to value properties are lets.
check(errorOf(function () { m.ImageStyles = 1; }) == 0 && m.ImageStyles == 1, "ImageStyles takes a number");
check(errorOf(function () { m.Tag = "plain"; }) == 0 && m.Tag == "plain", "Tag takes a text");
check(errorOf(function () { m.ImageStyles = new Object(); }) == 13, "an object for ImageStyles fails with 13");
check(errorOf(function () { m.Tag = new Object(); }) == 13, "an object for Tag fails with 13");
check(m.ImageStyles == 1 && m.Tag == "plain", "failed assignments change nothing");

// Members without parameters refuse arguments with 450.
check(errorOf(function () { m.Refresh(1); }) == 450, "Refresh(1) fails with 450");
check(tv.Nodes.Count == 3, "a refused Refresh leaves the tree alone");
check(errorOf(function () { return m.NodeChildren(5); }) == 450, "NodeChildren(5) fails with 450");
var lib = new ActiveXObject("Sarn10B.clsKwOrvel10BA");
check(errorOf(function () { lib.About(1); }) == 450, "About(1) fails with 450");

// An index to a collection property reaches the collection's Item; a result
// that takes no index refuses it with 450.
check(m.QueryNodeTextCollection(2) == "Italic", "QueryNodeTextCollection(2) is the second text");
check(m.QueryNodeKeysCollection(1) == "CBbold", "QueryNodeKeysCollection(1) is the first key");
check(tv.Nodes(2).Key == "CBbold", "Nodes(2) is the second node");
check(errorOf(function () { return m.QueryNodeKeysCollection(3); }) == 9, "an index the collection lacks fails with 9");
check(errorOf(function () { return m.TreeViewObject(1); }) == 450, "the tree view has no default member: 450");
check(errorOf(function () { return m.Tag(1); }) == 450, "a text takes no index: 450");

// Texts cross unchanged, lone surrogates included.
var odd = "x\uD800y\uDC00z";
m.Tag = odd;
check(m.Tag == odd, "lone surrogates come back unchanged");
check(m.Tag.charCodeAt(1) == 0xD800, "the lone surrogate is itself, not U+FFFD");

WScript.Echo(passed + " passed, " + failed + " failed");
WScript.Quit(failed);
