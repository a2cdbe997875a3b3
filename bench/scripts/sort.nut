local values = [];
local seed = 12345;
for (local i = 0; i < 50000; i++) {
    seed = (seed * 1103515245 + 12345) & 0x7fffffff;
    values.append(seed % 100000);
}
local plain = clone values;
plain.sort();
values.sort(function(a, b) { return b <=> a; });
return plain[0] + values[0];
