// Closures written as bytecode load back with loadfile and dofile.
local path = "std_io_bytecode.tmp";
writeclosuretofile(path, function() { return "from bytecode " + (6 * 7); });
print(dofile(path) + "\n");
print(loadfile(path)() + "\n");
local f = file(path, "rb");
print(f.readn('b') + " " + f.readn('b') + "\n");
f.close();
remove(path);
try { writeclosuretofile("std_io_missing_dir/out.tmp", function() {}); } catch (e) { print(e + "\n"); }
