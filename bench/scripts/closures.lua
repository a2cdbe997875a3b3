local function counter(start)
    local n = start
    return function() n = n + 1; return n end
end
local function numbers(limit)
    return coroutine.wrap(function() for i = 0, limit - 1 do coroutine.yield(i) end end)
end
local total = 0
for i = 0, 100000 - 1 do
    local nextValue = counter(i)
    nextValue()
    total = total + nextValue()
end
for v in numbers(300000) do total = total + v end
return total
