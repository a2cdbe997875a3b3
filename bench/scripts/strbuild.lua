local total = 0
for round = 0, 200 - 1 do
    local s = ""
    for i = 0, 1000 - 1 do s = s .. "ab" end
    total = total + #s
end
return total
