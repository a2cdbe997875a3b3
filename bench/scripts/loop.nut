local isum = 0;
local fsum = 0.0;
for (local i = 0; i < 10000000; i++) {
    isum = isum + i * 3;
    fsum = fsum + 0.5;
}
return isum + fsum;
