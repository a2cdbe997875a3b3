local total = 0;
for (local round = 0; round < 200; round++) {
    local s = "";
    for (local i = 0; i < 1000; i++) s += "ab";
    total += s.len();
}
return total;
