function counter(start) {
    local n = start;
    return function() { n += 1; return n; };
}
function numbers(limit) {
    for (local i = 0; i < limit; i++) yield i;
}
local total = 0;
for (local i = 0; i < 100000; i++) {
    local next = counter(i);
    next();
    total += next();
}
foreach (v in numbers(300000)) total += v;
return total;
