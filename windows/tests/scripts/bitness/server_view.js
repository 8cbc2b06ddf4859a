// What a script host of one bitness sees of the library on a machine where
// 32-bit and 64-bit servers may be registered side by side:
//   cscript server_view.js <32|64> present <folder>   every class is created by
//       name from <folder>\sarn10b.dll, registered in this host's own view,
//       with the type library's entry of this bitness, and answers calls;
//   cscript server_view.js <32|64> absent             no class can be created.
// Ends with one line "N passed, M failed" and quits with M.
var passed = 0, failed = 0;
function check(ok, what) {
    if (ok) {
        passed++;
    } else {
        failed++;
        WScript.Echo("FAILED: " + what);
    }
}
function finish() {
    WScript.Echo(passed + " passed, " + failed + " failed");
    WScript.Quit(failed);
}

var args = WScript.Arguments;
var bits = args.length > 0 ? args(0) : "", state = args.length > 1 ? args(1) : "";
var folder = args.length > 2 ? args(2) : "";
if ((bits != "32" && bits != "64") || (state != "present" && state != "absent") ||
    (state == "present" && folder == "")) {
    check(false, "usage: server_view.js <32|64> present <folder> | <32|64> absent");
    finish();
}

var shell = new ActiveXObject("WScript.Shell");
var arch = String(shell.Environment("PROCESS")("PROCESSOR_ARCHITECTURE")).toUpperCase();
check(arch == (bits == "32" ? "X86" : "AMD64"), "the script host is " + bits + "-bit (its processor is " + arch + ")");

function regRead(key) {
    try {
        return String(shell.RegRead(key));
    } catch (e) {
        return null;
    }
}
function create(progId) {
    try {
        return {object: new ActiveXObject(progId), number: 0};
    } catch (e) {
        return {object: null, number: e.number & 0xFFFF};
    }
}

var progIds = ["Sarn10B.clsKwAmbrTvsA", "Sarn10B.clsKwOrvel10BA", "Sarn10B.clsKwAmbrListViewWndClassA",
               "Sarn10B.clsKwAmbrTreeviewWndClassA", "Sarn10B.clsKwAmbrGeneralA", "Sarn10B.clsKwAmbrAdvancedA"];
var server = (folder + "\\sarn10b.dll").toLowerCase();
for (var i = 0; i < progIds.length; i++) {
    var progId = progIds[i];
    var made = create(progId);
    if (state == "absent") {
        check(made.number == 429, progId + " cannot be created (error " + made.number + ")");
        continue;
    }
    check(made.number == 0 && made.object != null, "creates " + progId + " (error " + made.number + ")");
    var clsid = regRead("HKCR\\" + progId + "\\CLSID\\");
    check(clsid != null, progId + " names its class identifier");
    if (clsid == null) continue;
    var file = regRead("HKCR\\CLSID\\" + clsid + "\\InprocServer32\\");
    check(file != null && file.toLowerCase() == server, progId + " is served by " + server + ", not " + file);
    check(regRead("HKCR\\CLSID\\" + clsid + "\\InprocServer32\\ThreadingModel") == "Apartment",
          progId + " is apartment-threaded");
    var libid = regRead("HKCR\\CLSID\\" + clsid + "\\TypeLib\\");
    var version = regRead("HKCR\\CLSID\\" + clsid + "\\VERSION\\");
    var lib = libid == null || version == null ? null
              : regRead("HKCR\\TypeLib\\" + libid + "\\" + version + "\\409\\win" + bits + "\\");
    // The platform may record the library's file in its long-path form.
    if (lib != null && lib.substr(0, 4) == "\\\\?\\") lib = lib.substr(4);
    check(lib != null && lib.toLowerCase() == server,
          progId + ": the type library's win" + bits + " entry is " + server + ", not " + lib);
}

if (state == "present") {
    // Calls through the server of this bitness: values that cross as 32-bit
    // integers, Booleans, texts and objects.
    var small = ["Sarn10B.clsKwAmbrTreeviewWndClassA", "Sarn10B.clsKwAmbrListViewWndClassA"];
    for (var j = 0; j < small.length; j++) {
        var a = new ActiveXObject(small[j]), b = new ActiveXObject(small[j]);
        a.Handle = -2147483648;
        b.Handle = 2147483647;
        check(a.Handle == -2147483648 && b.Handle == 2147483647, small[j] + ": Handle keeps 32-bit values apart");
    }
    var m = new ActiveXObject("Sarn10B.clsKwAmbrTvsA");
    m.ImageStyles = 3;
    m.TaginToolTip = true;
    m.Tag = "side by side";
    check(m.ImageStyles == 3 && m.TaginToolTip == true && m.Tag == "side by side", "the manager keeps its properties");
    var lib = new ActiveXObject("Sarn10B.clsKwOrvel10BA");
    var buddy = new ActiveXObject("Sarn10B.clsKwAmbrGeneralA");
    lib.BuddyObjectGlobal = buddy;
    check(new ActiveXObject("Sarn10B.clsKwOrvel10BA").BuddyObjectGlobal === buddy,
          "a second library object on the thread sees the same buddy");
}
finish();
