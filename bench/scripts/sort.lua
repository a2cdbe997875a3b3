local values = {}
local seed = 12345
for i = 1, 50000 do
    seed = (seed * 1103515245 + 12345) & 0x7fffffff
    values[i] = seed % 100000
end
local plain = {}
for i = 1, #values do plain[i] = values[i] end
table.sort(plain)
table.sort(values, function(a, b) return b < a end)
return plain[1] + values[1]
