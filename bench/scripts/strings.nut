local parts = [];
for (local i = 0; i < 200000; i++) parts.append("item" + i + ";");
local s = "";
for (local i = 0; i < 20000; i++) s += "ab";
return parts.len() + s.len();
