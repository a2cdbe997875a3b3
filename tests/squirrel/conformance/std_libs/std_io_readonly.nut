// A typed write to a file opened for reading is not checked: it writes nothing and raises nothing.
local w = file("std_io_readonly.tmp", "wb");
w.writen(1, 'b');
w.close();
local r = file("std_io_readonly.tmp", "rb");
print(r.writen(7, 'i') + " " + r.len() + "\n");
try { r.writen(7, 'q'); } catch (e) { print(e + "\n"); }
r.close();
remove("std_io_readonly.tmp");
