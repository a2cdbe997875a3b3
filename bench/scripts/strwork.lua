local total = 0
for i = 0, 100000 - 1 do
    local name = "unit" .. i .. ":" .. (i * 0.25)
    local line = string.format("%s=%d (%.2f)", name, i, i * 0.5)
    local head = line:sub(1, 6)
    local tail = line:sub(-4)
    total = total + #name + #head + #tail + #tostring(i) + #tostring(i * 0.5)
end
return total
