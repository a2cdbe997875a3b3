// The system library: time values, dates, environment and file removal and renaming.
print(typeof time() + " " + typeof clock() + " " + (clock() >= 0) + "\n");
local d = date(0, 'u');
print(d.year + "-" + d.month + "-" + d.day + " " + d.hour + ":" + d.min + ":" + d.sec + " " + d.wday + " " + d.yday + "\n");
d = date(86400 * 59 + 3723, 'u');
print(d.year + "-" + d.month + "-" + d.day + " " + d.hour + ":" + d.min + ":" + d.sec + " " + d.wday + " " + d.yday + "\n");
print(typeof date().year + " " + (date(time()).year >= 2000) + "\n");
// any letter but 'u' asks for local time; clock takes and ignores arguments, time takes none
local local0 = date(0, 'l'), other0 = date(0, 'x');
print((local0.hour == other0.hour && local0.day == other0.day) + " " + typeof clock(1, 2) + "\n");
try { time(1); } catch (e) { print(e + "\n"); }
print((getenv("SQSTD_SURELY_UNSET_VARIABLE") == null) + " " + typeof getenv("PATH") + "\n");
try { remove("std_system_no_such_file.tmp"); } catch (e) { print(e + "\n"); }
try { rename("std_system_no_such_file.tmp", "std_system_other.tmp"); } catch (e) { print(e + "\n"); }
local f = file("std_system_a.tmp", "wb");
f.close();
rename("std_system_a.tmp", "std_system_b.tmp");
try { file("std_system_a.tmp", "rb"); } catch (e) { print(e + "\n"); }
remove("std_system_b.tmp");
try { file("std_system_b.tmp", "rb"); } catch (e) { print(e + "\n"); }
