// getinfos() and getstackinfos(): every field with its type, for named, anonymous, vararg and native functions.
function describe(t) {
    local keys = [];
    foreach (k, v in t) keys.append(k);
    keys.sort();
    local text = "";
    foreach (k in keys) {
        local v = t[k];
        if (k == "src") // the file name without its folder, which depends on where the script is run from
            for (local at = v.find("/"); at != null; at = v.find("/"))
                v = v.slice(at + 1);
        local shown = typeof v;
        if (v == null || typeof v == "integer" || typeof v == "bool" || typeof v == "string")
            shown += "=" + v;
        else if (typeof v == "array")
            shown += "[" + (v.len() ? v.map(@(e) e == null ? "null" : e.tostring()).reduce(@(a, b) a + "," + b) : "") + "]";
        text += " " + k + ":" + shown;
    }
    return text;
}
function named(a, b = 2) { return getstackinfos(1); }
local anonymous = function(x, ...) { return getstackinfos(1); };

print("named:" + describe(named.getinfos()) + "\n");
print("anonymous vararg:" + describe(anonymous.getinfos()) + "\n");
print("native without a mask:" + describe(print.getinfos()) + "\n");
print("native with a mask:" + describe(array.getinfos()) + "\n");
print("default method:" + describe([].append.getinfos()) + "\n");

local frame = named(1);
print("frame of a named function:" + describe(frame) + "\n");
print("its locals:" + describe(frame.locals) + "\n");
frame = anonymous(1, 2);
print("frame of an anonymous function:" + describe(frame) + "\n");
print("its locals:" + describe(frame.locals) + "\n");
[3, 1].sort(function(a, b) { ::nativeFrame <- getstackinfos(2); return a <=> b; });
print("frame of a native function:" + describe(nativeFrame) + "\n");
print("beyond the outermost frame: " + getstackinfos(50) + "\n");
