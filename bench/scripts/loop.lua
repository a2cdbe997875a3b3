local isum = 0
local fsum = 0.0
for i = 0, 10000000 - 1 do
    isum = (isum + i * 3) & 0xFFFFFFFF
    fsum = fsum + 0.5
end
return isum + fsum
