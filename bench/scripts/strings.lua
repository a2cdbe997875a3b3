local parts = {}
for i = 0, 200000 - 1 do parts[#parts + 1] = "item" .. i .. ";" end
local s = ""
for i = 0, 20000 - 1 do s = s .. "ab" end
return #parts + #s
