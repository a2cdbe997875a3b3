local t = {}
for i = 0, 1000000 - 1 do t["k" .. i] = i end
local sum = 0
for i = 0, 1000000 - 1 do sum = sum + t["k" .. i] end
return sum
