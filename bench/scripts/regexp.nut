local words = regexp("[a-z]+[0-9]+");
local text = "";
for (local i = 0; i < 200; i++) text += "alpha" + i + " beta, gamma" + (i * 7) + "; ";
local found = 0;
for (local round = 0; round < 200; round++) {
    local at = 0;
    local m;
    while ((m = words.search(text, at)) != null) {
        found++;
        at = m.end;
    }
}
return found;
