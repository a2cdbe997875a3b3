local t = {};
for (local i = 0; i < 1000000; i++) t["k" + i] <- i;
local sum = 0;
for (local i = 0; i < 1000000; i++) sum += t["k" + i];
return sum;
