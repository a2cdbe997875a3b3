local total = 0
for i = 0, 100000 - 1 do
    local line = string.format("%d:%s:%.2f", i, "name", i * 0.5)
    local head = string.sub(line, 1, 3)
    total = total + #line + #head + #tostring(i)
end
return total
