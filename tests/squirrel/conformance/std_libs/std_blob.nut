// The blob library: typed reads and writes, seeking, growing, indexing, cloning and the byte helpers.
local b = blob(4);
print(b.len() + " " + b.tell() + " " + typeof b + "\n");
b.writen(0x01020304, 'i');
print(b[0] + " " + b[3] + " " + b.len() + "\n");
b.writen(-2, 's');
b.writen(1.5, 'f');
print(b.len() + " " + b.tell() + "\n");
b.seek(0);
print(b.readn('i') + " " + b.readn('s') + " " + b.readn('f') + " " + b.eos() + "\n");
b.seek(-6, 'e');
print(b.readn('w') + " " + b.tell() + "\n");
b.seek(-1, 'c');
print(b.readn('c') + " " + b.readn('b') + "\n");
print(b.seek(100) + " " + b.tell() + "\n");
try { b.readn('x'); } catch (e) { print(e + "\n"); }
b.seek(b.len());
try { b.readn('i'); } catch (e) { print(e + "\n"); }
b[1] = 300;
print(b[1] + "\n");
try { local x = b[10]; } catch (e) { print(e + "\n"); }
b.resize(2);
print(b.len() + " " + b.tell() + "\n");
foreach (i, v in b) print(i + ":" + v + " ");
print("\n");
local c = clone b;
c[0] = 9;
print(b[0] + " " + c[0] + " " + c.len() + "\n");
b.seek(0);
local r = b.readblob(10);
print(r.len() + " " + r[1] + "\n");
local d = blob();
d.writeblob(b);
d.writeblob(r);
print(d.len() + "\n");
local e = blob(0);
e.writen(0x0102, 's');
e.writen(0x03040506, 'i');
e.swap2();
print(e[0] + " " + e[1] + " " + e[2] + " " + e[3] + "\n");
e.swap4();
print(e[0] + " " + e[1] + " " + e[2] + " " + e[3] + "\n");
print(swap2(0x1234) + " " + swap2(0xFF) + " " + swap4(1) + "\n");
print(castf2i(1.0) + " " + casti2f(0x3f800000) + " " + castf2i(swapfloat(1.0)) + "\n");
local w = blob();
w.writen(1.25, 'd');
w.seek(0);
print(w.len() + " " + w.readn('d') + "\n");
