// The I/O library: the file class, the standard streams and loading, running and saving scripts.
local f = file("std_io_numbers.tmp", "wb+");
print(typeof f + " " + f.len() + "\n");
f.writen(42, 'i');
f.writen(1.5, 'f');
f.writen(-1, 'c');
print(f.len() + " " + f.tell() + "\n");
f.seek(0);
print(f.readn('i') + " " + f.readn('f') + " " + f.readn('c') + "\n");
f.seek(-5, 'e');
print(f.readn('f') + " " + f.tell() + "\n");
f.seek(0);
local b = f.readblob(100);
print(b.len() + " " + b[0] + "\n");
try { f.readblob(4); } catch (e) { print(e + "\n"); }
try { f.readn('i'); } catch (e) { print(e + "\n"); }
f.seek(0, 'e');
f.writeblob(b);
print(f.len() + "\n");
f.close();
try { f.len(); } catch (e) { print(e + "\n"); }
print(f.close() + "\n");
try { file("std_io_numbers.tmp"); } catch (e) { print(e + "\n"); }
try { blob(1).close(); } catch (e) { print(e + "\n"); }
local ends = file("std_io_numbers.tmp", "rb");
print(ends.eos() + " ");
ends.seek(0, 'e');
print(ends.eos() + " ");
ends.seek(-1, 'e');
print(ends.eos() + "\n");
ends.close();
local empty = file("std_io_empty.tmp", "wb+");
print(empty.eos() + "\n");
empty.close();
remove("std_io_empty.tmp");
try { file("std_io_missing_dir/none.tmp", "rb"); } catch (e) { print(e + "\n"); }
print(typeof stdout + " " + typeof stdin + " " + typeof stderr + "\n");

local src = file("std_io_script.tmp", "wb");
foreach (c in "return 6 * 7;") src.writen(c, 'b');
src.close();
print(dofile("std_io_script.tmp") + " " + loadfile("std_io_script.tmp")() + "\n");
local bom = file("std_io_bom.tmp", "wb");
foreach (c in [0xEF, 0xBB, 0xBF]) bom.writen(c, 'b');
foreach (c in "return \"after the mark\";") bom.writen(c, 'b');
bom.close();
print(dofile("std_io_bom.tmp") + "\n");
local env = { value = 5 };
local body = file("std_io_this.tmp", "wb");
foreach (c in "return this.value;") body.writen(c, 'b');
body.close();
print(loadfile("std_io_this.tmp").call(env) + "\n");
try { dofile("std_io_no_such_script.nut"); } catch (e) { print(e + "\n"); }
remove("std_io_numbers.tmp");
remove("std_io_script.tmp");
remove("std_io_bom.tmp");
remove("std_io_this.tmp");
